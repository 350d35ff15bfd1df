#include "link/COMDevice.h"

#include <cstdio>
#include <string>

#include "core/Process.h"
#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "mechanism/kqDevMidCOM.h"

namespace {

ClassRegistration<BaseDevice, COMDevice> registerClass("COMDevice");
StaticRegistration<BaseDevice> registerCheck("COMDevice", "checkconnects",
                                             &COMDevice::checkconnects);

using kqcode::kIncorrectFunction;
using kqcode::kNotConnected;
constexpr int kOpenEvent = 1;
constexpr size_t kCheckDocument = 10240;

using SerialRegistry = Registry<kqDevMidCOM>;

// Runs the connection check of a serial model class; false when it has none or
// it finds nothing. The document's "data" array lands in listed.
bool runCheck(const std::string& name, const char* argsJson, Json::Value& listed) {
    auto check = SerialRegistry::findStatic(name + "checkconnects");
    if (check == nullptr) return false;
    writeLog("COMDevice " + name + "checkconnects");
    std::vector<char> scratch(kCheckDocument, 0);
    if (check(argsJson, scratch.data()) != 0) return false;
    writeLog("COMDevice " + name + "checkconnects success");
    scratch.back() = '\0';
    Json::Value document;
    if (convertString2json(scratch.data(), document) != 0 || !document.isObject()) {
        writeLog("COMDevice::open_dev json fail");
        return false;
    }
    listed = document["data"];
    return listed.isArray();
}

}  // namespace

COMDevice::~COMDevice() {
    ReleaseDeviceList(mDeviceList, -1);
}

int COMDevice::checkconnects(const char* argsJson, char* out) {
    Json::Value collected(Json::arrayValue);
    for (const auto& entry : SerialRegistry::class_set()) {
        Json::Value listed;
        if (!runCheck(entry.first, argsJson, listed)) continue;
        for (const Json::Value& device : listed) collected.append(device);
    }
    if (collected.empty()) return result_json_code(kNotConnected, out, "");
    return result_json_code(0, out, collected, "");
}

int COMDevice::open_dev(const char* argsJson, char* out) {
    Json::Value args;
    convertString2json(argsJson, args);
    std::vector<std::string> names;
    if (args.isObject() && args["device_type"].isInt()) {
        char name[32];
        std::snprintf(name, sizeof(name), "kqDev%2X", args["device_type"].asInt());
        if (SerialRegistry::class_set().count(name) == 0) {
            return result_json_code(kIncorrectFunction, out, "");
        }
        names.emplace_back(name);
    } else {
        for (const auto& entry : SerialRegistry::class_set()) names.push_back(entry.first);
    }

    Json::Value documents(Json::arrayValue);
    DeviceGroup& group = mDeviceList[0];
    for (const std::string& name : names) {
        Json::Value listed;
        if (!runCheck(name, argsJson, listed)) continue;
        for (const Json::Value& device : listed) {
            std::unique_ptr<kqDevMidCOM> model = SerialRegistry::create(name);
            if (!model) continue;
            if (model->open() != 0) {
                writeLog("COMDevice 打开失败");
                continue;
            }
            model->addEventLister(mListener);
            Json::Value document;
            model->toGetDevJson(document);
            _OnEvent(mListener, kOpenEvent, "设备打开事件", document);
            documents.append(document);
            group.models[device.isString() ? device.asString() : json2string(device)] =
                std::move(model);
        }
    }
    if (group.models.empty()) {
        mDeviceList.erase(0);
        return result_json_code(kNotConnected, out, "");
    }
    return result_json_code(0, out, documents, "");
}

int COMDevice::close_dev(const char*, char* out) {
    return result_json_code(1, out, "");
}

int COMDevice::findObject(const char* argsJson, std::vector<kqDev*>& found) {
    return selectModels(argsJson, mDeviceList, found);
}
