#include "core/VXDevice.h"

#include <cstdio>
#include <cstring>

#include "core/Process.h"
#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "mechanism/kqDev.h"

namespace {

using kqcode::kIncorrectFunction;
constexpr int kNotDone = 3;
using kqcode::kInvalidData;
using kqcode::kNotConnected;
constexpr int kDefaultPowerOffWaitMs = 1000;
constexpr int kSdkPort = 12531;
// Scratch room for the document of the automatic open in findObject; the
// connection writes an unbounded document there, so it gets ample space.
constexpr size_t kScratchDocument = 1 << 20;

// Registration objects, in the order the SDK class registers itself.
struct PortRegistration {
    PortRegistration() {
        lib_dev::url_port = kSdkPort;
        std::printf("Register:%d\n", kSdkPort);
        std::fflush(stdout);
    }
} portRegistration;

struct NameRegistration {
    NameRegistration() {
        const char name[] = "VXDevice";
        static_assert(sizeof(name) <= lib_dev::kLibNameCapacity, "class name fits");
        std::memcpy(lib_dev::lib_name, name, sizeof(name));
        std::printf("Register:%s%s\n", "VXDevice", lib_dev::lib_name);
        std::fflush(stdout);
        initLogs(lib_dev::lib_name, "");
    }
} nameRegistration;

ClassRegistration<lib_dev, VXDevice> classRegistration("VXDevice");

struct MethodRegistration {
    MethodRegistration(const char* name, Registry<VXDevice>::Member member) {
        Registry<VXDevice>::_register(name, member);
        lib_dev::vector_funcs().push_back(name);
        std::printf("Register funcs:%s\n", name);
        std::fflush(stdout);
    }
};

MethodRegistration methods[] = {
    {"open_dev", &VXDevice::open_dev},
    {"close_dev", &VXDevice::close_dev},
    {"clean_dev", &VXDevice::clean_dev},
    {"get_dev_state", &VXDevice::get_dev_state},
    {"poweroff_dev", &VXDevice::poweroff_dev},
    {"send_to_parts", &VXDevice::send_to_parts},
    {"get_dev_info", &VXDevice::get_dev_info},
    {"get_part_list", &VXDevice::get_part_list},
    {"add_filter_dev", &VXDevice::add_filter_dev},
    {"heart_beat", &VXDevice::heart_beat},
};

// Reads a member that is text (or a scalar convertible to text); false when
// absent or of another JSON type.
bool textMember(const Json::Value& doc, const char* key, std::string& text) {
    if (!doc.isObject() || !doc.isMember(key)) return false;
    const Json::Value& v = doc[key];
    if (!v.isConvertibleTo(Json::stringValue) || v.isNull()) return false;
    text = v.asString();
    return true;
}

}  // namespace

VXDevice::VXDevice() {
    if (libusb_init(&mUsb) != 0) mUsb = nullptr;
}

VXDevice::~VXDevice() {
    mConnections.clear();
    if (mUsb) libusb_exit(mUsb);
}

int VXDevice::call_method(const char* argsJson, char* out, bool /*flag*/) {
    writeLog(std::string("call_method") + " argsJson" + (argsJson ? argsJson : ""));
    Json::Value args;
    if (convertString2json(argsJson, args) != 0) return result_json_code(kInvalidData, out, "");
    std::string funccode;
    if (!textMember(args, "funccode", funccode)) {
        return result_json_code(kIncorrectFunction, out, "");
    }
    return Registry<VXDevice>::_call_method(*this, funccode, argsJson, out);
}

int VXDevice::findObject(const char* argsJson, std::vector<kqDev*>& found) {
    if (mConnections.empty()) {
        std::vector<char> scratch(kScratchDocument, 0);
        open_dev(argsJson, scratch.data());
    }
    Json::Value args;
    std::string name;
    if (convertString2json(argsJson, args) == 0) textMember(args, "object_name", name);

    if (!name.empty()) {
        auto it = mConnections.find(name);
        if (it != mConnections.end()) it->second->findObject(argsJson, found);
    } else {
        for (auto& [key, connection] : mConnections) {
            writeLog("findObject VXDevice " + key);
            connection->findObject(argsJson, found);
        }
    }
    return static_cast<int>(found.size());
}

int VXDevice::open_dev(const char* argsJson, char* out) {
    writeLog("VXDevice::open_dev");
    Json::Value args;
    if (convertString2json(argsJson, args) != 0) {
        return result_json_code(kInvalidData, out, "传入Json数据无效，无法转换");
    }
    std::string name;
    if (!textMember(args, "object_name", name)) {
        return result_json_code(kInvalidData, out, "传入Json数据无效，不存在指定对象类型传参");
    }
    if (mConnections.count(name)) return result_json_code(0, out, "已存在");
    if (!Registry<BaseDevice>::class_set().count(name)) {
        return result_json_code(kInvalidData, out,
                                "传入Json数据无效，对象列表种不存在指定对象类型");
    }
    auto check = Registry<BaseDevice>::findStatic(name + "checkconnects");
    if (check == nullptr) {
        return result_json_code(kInvalidData, out, "传入Json数据无效，不存在连接检测函数");
    }
    int code = check(argsJson, out);
    if (code != 0) return code;

    std::unique_ptr<BaseDevice> connection = Registry<BaseDevice>::create(name);
    if (!connection) {
        return result_json_code(kInvalidData, out,
                                "传入Json数据无效，对象列表种不存在指定对象类型");
    }
    connection->addEventLister(mListener);
    code = connection->open_dev(argsJson, out);
    if (code != 0) return code;
    mConnections[name] = std::move(connection);
    return 0;
}

int VXDevice::close_dev(const char* argsJson, char* out) {
    Json::Value args;
    if (convertString2json(argsJson, args) != 0) {
        return result_json_code(kInvalidData, out, "传入JSON参数格式有误，无法转换");
    }
    std::string name;
    if (!textMember(args, "object_name", name)) {
        return result_json_code(kInvalidData, out, "没有传入对象名称object_name");
    }
    auto it = mConnections.find(name);
    if (it != mConnections.end()) {
        int code = it->second->close_dev(argsJson, out);
        if (code != 0) return code;
        mConnections.erase(it);
    }
    return result_json_code(0, out, "");
}

int VXDevice::clean_dev(const char*, char*) {
    return kNotDone;
}

int VXDevice::get_dev_state(const char* argsJson, char* out) {
    writeLog("VXDevice get_dev_state");
    std::vector<kqDev*> found;
    if (findObject(argsJson, found) == 0) return result_json_code(kNotConnected, out, "");

    Json::Value states(Json::arrayValue);
    for (kqDev* device : found) {
        writeLog("VXDevice get_dev_state 遍历");
        Json::Value state;
        device->toGetStateJson(state);
        if (state.size() > 0) states.append(state);
    }
    if (states.empty()) {
        result_json_code(0, out, "");
    } else {
        result_json_code(0, out, states, "");
    }
    writeLog(out);
    return 0;
}

int VXDevice::get_dev_info(const char* argsJson, char* out) {
    std::vector<kqDev*> found;
    if (findObject(argsJson, found) == 0) return result_json_code(kNotConnected, out, "");

    Json::Value infos(Json::arrayValue);
    for (kqDev* device : found) {
        Json::Value info;
        device->toGetDevJson(info);
        if (info.size() > 0) infos.append(info);
    }
    return result_json_code(0, out, infos.empty() ? Json::Value() : infos, "");
}

int VXDevice::poweroff_dev(const char* argsJson, char* out) {
    std::vector<kqDev*> found;
    if (findObject(argsJson, found) == 0) return result_json_code(kInvalidData, out, "");

    int waitMs = kDefaultPowerOffWaitMs;
    Json::Value args;
    if (convertString2json(argsJson, args) == 0 && args.isObject()) {
        const Json::Value& conditions = args["conditions"];
        if (conditions.isObject() && conditions["waittime"].isInt()) {
            waitMs = conditions["waittime"].asInt();
        }
    }
    return result_json_code(found.front()->_PowerOff(waitMs), out, "");
}

int VXDevice::send_to_parts(const char* argsJson, char* out) {
    std::vector<kqDev*> found;
    if (findObject(argsJson, found) == 0) return result_json_code(kInvalidData, out, "");
    return found.front()->send_to_parts(argsJson, out);
}

int VXDevice::get_part_list(const char* argsJson, char* out) {
    std::vector<kqDev*> found;
    if (findObject(argsJson, found) == 0) return result_json_code(kInvalidData, out, "");
    return found.front()->get_part_list(argsJson, out);
}

int VXDevice::add_filter_dev(const char* argsJson, char*) {
    Json::Value args;
    if (convertString2json(argsJson, args) != 0 || !args.isObject()) return 0;
    const Json::Value& names = args["FilterLst"];
    if (!names.isArray()) return 0;
    for (const Json::Value& name : names) {
        if (name.isConvertibleTo(Json::stringValue)) add_filter(name.asString().c_str());
    }
    return 0;
}

int VXDevice::heart_beat(const char*, char* out) {
    return result_json_code(0, out, "");
}

void VXDevice::add_filter(const char* name) {
    mFilters.emplace_back(name);
}

int VXDevice::_add_event_listener(EventListener listener) {
    mListener = listener;
    for (auto& entry : mConnections) entry.second->addEventLister(listener);
    return 0;
}

int VXDevice::_remove_event_listener() {
    mListener = nullptr;
    for (auto& entry : mConnections) entry.second->removeEventLister();
    return 0;
}
