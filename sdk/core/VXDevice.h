// The SDK object: turns argument documents into calls of its registered
// methods and owns the open connections.
#pragma once

#include <libusb.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Events.h"
#include "core/LibDev.h"
#include "link/BaseDevice.h"

class kqDev;

class VXDevice : public lib_dev {
  public:
    VXDevice();
    ~VXDevice() override;
    VXDevice(const VXDevice&) = delete;
    VXDevice& operator=(const VXDevice&) = delete;

    int call_method(const char* argsJson, char* out, bool flag) override;

    int open_dev(const char* argsJson, char* out);
    int close_dev(const char* argsJson, char* out);
    int clean_dev(const char* argsJson, char* out);
    int get_dev_state(const char* argsJson, char* out);
    int poweroff_dev(const char* argsJson, char* out);
    int send_to_parts(const char* argsJson, char* out);
    int get_dev_info(const char* argsJson, char* out);
    int get_part_list(const char* argsJson, char* out);
    int add_filter_dev(const char* argsJson, char* out);
    int heart_beat(const char* argsJson, char* out);

    int findObject(const char* argsJson, std::vector<kqDev*>& found);
    void add_filter(const char* name);
    int _add_event_listener(EventListener listener);
    int _remove_event_listener();

    const std::vector<std::string>& filters() const { return mFilters; }

    static std::unique_ptr<lib_dev> _CreateObjectByName() { return std::make_unique<VXDevice>(); }

  private:
    libusb_context* mUsb = nullptr;
    std::vector<std::string> mFilters;
    EventListener mListener = nullptr;
    std::map<std::string, std::unique_ptr<BaseDevice>> mConnections;
};
