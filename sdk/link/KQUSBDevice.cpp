#include "link/KQUSBDevice.h"

#include <cstdio>

#include "core/Process.h"
#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "mechanism/BoardAccess.h"
#include "mechanism/Identification.h"

namespace {

ClassRegistration<BaseDevice, KQUSBDevice> registerClass("KQUSBDevice");
StaticRegistration<BaseDevice> registerCheck("KQUSBDevice", "checkconnects",
                                             &KQUSBDevice::checkconnects);

using kqcode::kInvalidData;
using kqcode::kNotConnected;
constexpr int kOpenEvent = 1;

const UsbId vpidArr[] = {{0x0483, 0x5740}, {0x0483, 0x5741}, {0x0483, 0x5704}};
// The group whose boards are not asked: the request names their model.
constexpr int kUnaskedGroup = 2;

std::string idText(int vid, int pid) {
    char text[40];
    std::snprintf(text, sizeof(text), "KQUSBDev_0x%04x_0x%04x", vid & 0xFFFF, pid & 0xFFFF);
    return text;
}

}  // namespace

void ReleaseDeviceList(DeviceList& deviceList, int group) {
    if (group < 0) {
        for (auto& entry : deviceList) {
            entry.second.models.clear();
            entry.second.link.reset();
        }
        deviceList.clear();
        return;
    }
    auto it = deviceList.find(group);
    if (it == deviceList.end()) return;
    it->second.models.clear();
    it->second.link.reset();
    deviceList.erase(it);
}

int selectModels(const char* argsJson, const DeviceList& deviceList, std::vector<kqDev*>& found) {
    Json::Value args;
    std::string devId, typeHex, typeName;
    bool hasDevId = false, hasHex = false, hasName = false;
    long long deviceType = -1;
    if (convertString2json(argsJson, args) == 0 && args.isObject()) {
        const Json::Value& conditions = args["conditions"];
        // An empty text names no device, so it is no criterion: an empty
        // "DevID" falls through to the model criteria.
        if (conditions.isObject() && conditions["DevID"].isString()) {
            devId = conditions["DevID"].asString();
            hasDevId = !devId.empty();
        }
        if (args["deviceType"].isIntegral()) deviceType = args["deviceType"].asInt64();
        if (args["device_type"].isIntegral()) deviceType = args["device_type"].asInt64();
        if (args["deviceType_hex"].isString()) {
            typeHex = args["deviceType_hex"].asString();
            hasHex = !typeHex.empty();
        }
        if (args["deviceType_c"].isString()) {
            typeName = args["deviceType_c"].asString();
            hasName = !typeName.empty();
        }
    }
    for (const auto& [group, entry] : deviceList) {
        for (const auto& [id, model] : entry.models) {
            const DeviceInfo& info = model->info();
            bool match;
            if (hasDevId) {
                match = devId == info.DevID;
            } else if (deviceType >= 0) {
                match = deviceType == static_cast<long long>(info.deviceType);
            } else if (hasHex) {
                match = typeHex == info.deviceType_hex;
            } else if (hasName) {
                match = typeName == info.deviceType_c;
            } else {
                found.push_back(model.get());
                continue;
            }
            if (match) {
                found.push_back(model.get());
                return 1;
            }
        }
    }
    return static_cast<int>(found.size());
}

KQUSBDevice::~KQUSBDevice() {
    ReleaseDeviceList(mDeviceList, -1);
}

int KQUSBDevice::vidpid2index(int vid, int pid) {
    for (int i = 0; i < static_cast<int>(sizeof(vpidArr) / sizeof(vpidArr[0])); ++i) {
        if (vpidArr[i].vid == vid && vpidArr[i].pid == pid) return i;
    }
    return -1;
}

int KQUSBDevice::checkconnects(const char*, char* out) {
    writeLog("KQUSBDevice::checkconnects");
    std::vector<UsbId> ids;
    if (!boardAccess().listUsb(ids)) return result_json_code(kNotConnected, out, "无法列出UBS列表");
    Json::Value found(Json::arrayValue);
    for (const UsbId& id : ids) {
        const std::string text = idText(id.vid, id.pid);
        writeLog(text);
        if (vidpid2index(id.vid, id.pid) >= 0) found.append(text);
    }
    if (found.empty()) {
        writeLog("KQUSBDevice::checkconnects 无");
        return result_json_code(kNotConnected, out, "");
    }
    writeLog("KQUSBDevice::checkconnects 有");
    return result_json_code(0, out, found, "");
}

int KQUSBDevice::open_dev(const char* argsJson, char* out) {
    writeLog("KQUSBDevice::open_dev");
    Json::Value args;
    if (convertString2json(argsJson, args) != 0) {
        return result_json_code(kInvalidData, out, "传入json数据有误");
    }
    int deviceType = -1;
    if (args.isObject() && args["device_type"].isInt()) deviceType = args["device_type"].asInt();

    std::vector<UsbId> ids;
    if (!boardAccess().listUsb(ids)) return result_json_code(kNotConnected, out, "无法列出UBS列表");
    Json::Value opened(Json::objectValue);
    for (const UsbId& id : ids) {
        const std::string text = idText(id.vid, id.pid);
        writeLog(text);
        if (vidpid2index(id.vid, id.pid) < 0) continue;
        if (open_dev_vpid(id.vid, id.pid, deviceType) != 0) continue;
        std::vector<kqDev*> found;
        if (findObject(argsJson, found) == 0) {
            // Nothing the caller asked for: the boards opened so far are let go
            // so that no port stays claimed.
            ReleaseDeviceList(mDeviceList, -1);
            return result_json_code(kNotConnected, out, "");
        }
        Json::Value documents(Json::arrayValue);
        for (kqDev* model : found) {
            Json::Value document;
            model->toGetDevJson(document);
            documents.append(document);
        }
        opened[text]["DevExt"] = documents;
    }
    if (opened.empty()) {
        writeLog("KQUSBDevice::open_dev 22");
        return result_json_code(kNotConnected, out, "");
    }
    writeLog("KQUSBDevice::open_dev 11");
    return result_json_code(0, out, opened, "");
}

int KQUSBDevice::open_dev_vpid(int vid, int pid, int deviceType) {
    const int group = vidpid2index(vid, pid);
    // Boards of this pair are open already; opening again would meet a claimed port.
    if (mDeviceList.count(group) != 0) return 0;
    BoardAccess& access = boardAccess();
    const int count = access.selectBoard(static_cast<uint16_t>(vid), static_cast<uint16_t>(pid));
    if (count < 1) return kBoardNotFound;
    Device* opened = nullptr;
    if (access.openBoard(&opened) != 0 || opened == nullptr) return kBoardNotFound;
    auto link = std::make_unique<BoardLink>(std::unique_ptr<Device>(opened));

    std::map<std::string, std::unique_ptr<kqDev>> models;
    for (int i = 0; i < count; ++i) {
        auto probe = std::make_unique<DeviceInfo>();
        if (analyzeFlashRapid(link->port(), i, probe.get(), group, deviceType) != 0) continue;
        if (deviceType == -1) continue;
        std::unique_ptr<kqDevMid00> model = devType2Class(probe->deviceType, link->port(), i);
        if (!model) continue;
        model->shareLink(link.get());
        model->info().vid = vid;
        model->info().pid = pid;
        model->addEventLister(mListener);
        Json::Value document;
        model->toGetDevJson(document);
        _OnEvent(mListener, kOpenEvent, "设备打开事件", document);
        models[model->info().DevID] = std::move(model);
    }
    if (models.empty()) return kNotConnected;  // the link closes the port
    DeviceGroup& entry = mDeviceList[group];
    entry.link = std::move(link);
    entry.models = std::move(models);
    return 0;
}

int KQUSBDevice::analyzeFlashRapid(void* port, int index, DeviceInfo* info, int group,
                                   int deviceType) {
    if (group == 0 || group == 1) return analyzeFlashNormal(port, index, info);
    if (group == kUnaskedGroup) {
        info->deviceType = static_cast<uint32_t>(deviceType);
        return 0;
    }
    return kInvalidData;
}

std::unique_ptr<kqDevMid00> KQUSBDevice::devType2Class(unsigned int code, void* port, int index) {
    char name[32];
    std::snprintf(name, sizeof(name), "kqDev%02X", code);
    std::unique_ptr<kqDevMid00> model = Registry<kqDevMid00>::create(name);
    if (!model) return nullptr;
    if (model->analyzeFlash(port, index) != 0) return nullptr;
    return model;
}

int KQUSBDevice::close_dev(const char*, char*) {
    ReleaseDeviceList(mDeviceList, -1);
    return 0;
}

int KQUSBDevice::findObject(const char* argsJson, std::vector<kqDev*>& found) {
    return selectModels(argsJson, mDeviceList, found);
}
