// Base of the connection classes that find, open and hold mechanism boards.
#pragma once

#include <memory>
#include <vector>

#include "core/Events.h"
#include "core/Registry.h"

class kqDev;

class BaseDevice {
  public:
    virtual ~BaseDevice() = default;

    virtual int open_dev(const char* argsJson, char* out);
    virtual int close_dev(const char* argsJson, char* out);
    virtual int clean_dev(const char* argsJson, char* out);
    // Appends the model objects this connection's argument document selects;
    // the pointers are borrowed for the duration of one call.
    virtual int findObject(const char* argsJson, std::vector<kqDev*>& found);

    void addEventLister(EventListener listener) { mListener = listener; }
    void removeEventLister() { mListener = nullptr; }

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<BaseDevice> _CreateObjectByName() {
        return std::make_unique<BaseDevice>();
    }

  protected:
    EventListener mListener = nullptr;
};
