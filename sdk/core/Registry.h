// Self-registering class and method tables. A registry owner R keeps three
// ordered tables, filled before main by the registration objects of the
// classes that belong to it. The tables are function-local statics, so they
// exist before the first registration object of any unit runs.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "core/ResultJson.h"

template <class R>
class Registry {
  public:
    using Factory = std::unique_ptr<R> (*)();
    using Member = int (R::*)(const char* argsJson, char* out);
    using Static = int (*)(const char* argsJson, char* out);

    static std::map<std::string, Factory>& class_set() {
        static std::map<std::string, Factory> table;
        return table;
    }
    static std::map<std::string, Member>& func_set() {
        static std::map<std::string, Member> table;
        return table;
    }
    static std::map<std::string, Static>& func_set_static() {
        static std::map<std::string, Static> table;
        return table;
    }

    // Inserting a key that is present keeps the existing entry.
    static void _register(const std::string& name, Factory factory) {
        class_set().emplace(name, factory);
    }
    static void _register(const std::string& name, Member member) {
        func_set().emplace(name, member);
    }
    static void _registerStatic(const std::string& name, Static function) {
        func_set_static().emplace(name, function);
    }

    // A new instance of the class registered under name, or null.
    static std::unique_ptr<R> create(const std::string& name) {
        auto it = class_set().find(name);
        return it == class_set().end() ? nullptr : it->second();
    }

    static Static findStatic(const std::string& name) {
        auto it = func_set_static().find(name);
        return it == func_set_static().end() ? nullptr : it->second;
    }

    // Calls the member registered under name on self.
    static int _call_method(R& self, const std::string& name, const char* argsJson, char* out) {
        auto it = func_set().find(name);
        if (it == func_set().end()) return result_json_code(1, out, "");
        return (self.*(it->second))(argsJson, out);
    }

    // Result document whose "data" lists the func_set keys in map order.
    static int _get_func_set(const char* /*argsJson*/, char* out) {
        Json::Value names(Json::nullValue);
        for (const auto& entry : func_set()) names.append(entry.first);
        return result_json_code(0, out, names, "");
    }
};

// Registration object of class X in the registry of R: enters X once, however
// many such objects exist.
template <class R, class X>
struct ClassRegistration {
    explicit ClassRegistration(const char* name) {
        static unsigned char bRegister = 0;
        if (bRegister == 0) {
            Registry<R>::_register(name, &X::_CreateObjectByName);
            bRegister = 1;
        }
    }
};

// Registration object of a static function of a class: the key is the class
// name followed directly by the function name.
template <class R>
struct StaticRegistration {
    StaticRegistration(const std::string& className, const std::string& functionName,
                       typename Registry<R>::Static function) {
        Registry<R>::_registerStatic(className + functionName, function);
    }
};

// The usual factory: a new default-constructed X as an R.
template <class R, class X>
std::unique_ptr<R> createDefault() {
    return std::make_unique<X>();
}
