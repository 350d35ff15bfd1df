// The abstract SDK object that lib_init_sdk creates by name.
#pragma once

#include <string>
#include <vector>

#include "core/Registry.h"

class lib_dev {
  public:
    virtual ~lib_dev() = default;
    virtual int init_sdk() { return 0; }
    virtual int release_sdk() { return 0; }
    virtual int call_method(const char* argsJson, char* out, bool flag) = 0;

    static constexpr int kLibNameCapacity = 255;
    static char lib_name[kLibNameCapacity];
    static int url_port;
    static std::map<std::string, Registry<lib_dev>::Factory>& class_set() {
        return Registry<lib_dev>::class_set();
    }
    // Names of the SDK object's callable methods, in registration order.
    static std::vector<std::string>& vector_funcs();
};
