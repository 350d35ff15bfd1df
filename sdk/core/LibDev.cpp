#include "core/LibDev.h"

#include <cstdio>
#include <memory>

#include "core/Process.h"
#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "core/VXDevice.h"
#include "devsdk.h"

char lib_dev::lib_name[lib_dev::kLibNameCapacity] = {};
int lib_dev::url_port = 0;

std::vector<std::string>& lib_dev::vector_funcs() {
    static std::vector<std::string> names;
    return names;
}

namespace {

// The process's one SDK object.
std::unique_ptr<lib_dev>& sdkObject() {
    static std::unique_ptr<lib_dev> object;
    return object;
}

using kqcode::kClassMissing;
constexpr int kInvalidObject = 1900;
using kqcode::kInvalidData;

}  // namespace

extern "C" int lib_init_sdk(lib_dev** out) {
    try {
        initialization();
        if (lib_dev::lib_name[0] == '\0') {
            std::printf("%s\n", lib_dev::lib_name);
            return kClassMissing;
        }
        writeLog("initSDK", "DEBUG", "", "");
        std::unique_ptr<lib_dev>& object = sdkObject();
        if (!object) {
            object = Registry<lib_dev>::create(lib_dev::lib_name);
            if (!object) return kClassMissing;
            object->init_sdk();
        }
        if (out) *out = object.get();
        return 0;
    } catch (...) {
        return kClassMissing;
    }
}

extern "C" int lib_release_sdk(lib_dev* sdk) {
    try {
        writeLog("releaseSDK", "DEBUG", "", "");
        // Only the object this SDK handed out is destroyed: any other pointer
        // is not ours to delete.
        if (sdk != nullptr && sdkObject().get() == sdk) sdkObject().reset();
    } catch (...) {
    }
    return 0;
}

extern "C" int lib_call_method(lib_dev* sdk, bool flag, const char* argsJson, char* out) {
    try {
        if (sdk == nullptr) return result_json_code(kInvalidObject, out, "");
        return sdk->call_method(argsJson, out, flag);
    } catch (const std::exception& e) {
        return result_json_code(kInvalidData, out, e.what());
    } catch (...) {
        return result_json_code(kInvalidData, out, "");
    }
}

extern "C" int get_object_list(lib_dev* /*sdk*/, char* out) {
    try {
        result_json_code(0, out, Json::Value(), "");
    } catch (...) {
    }
    return 0;
}

extern "C" int get_method_list(void) {
    return 0;
}

extern "C" int add_event_listener(devsdk_event_listener listener) {
    auto* device = dynamic_cast<VXDevice*>(sdkObject().get());
    if (device == nullptr) return kInvalidObject;
    return device->_add_event_listener(listener);
}

extern "C" int remove_event_listener(void) {
    if (auto* device = dynamic_cast<VXDevice*>(sdkObject().get())) device->_remove_event_listener();
    return 0;
}
