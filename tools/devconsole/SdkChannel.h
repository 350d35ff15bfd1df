// The console's only road into the SDK: one request document in, one result
// document out, through lib_call_method.
#pragma once

#include <json/json.h>

#include <string>

#include "devsdk.h"

namespace devconsole {

struct Reply {
    int result = 0;
    std::string text;  // the result document as the SDK wrote it
    Json::Value doc;   // the same parsed; null when it is not JSON
};

class SdkChannel {
  public:
    // Requests are written into a zero-filled buffer of this size.
    static constexpr size_t kRequestCapacity = 1024;
    // Every call gets a zero-filled result buffer of this size.
    static constexpr size_t kResultCapacity = 1 << 20;
    // Code of a request that does not fit its buffer; it is not sent.
    static constexpr int kRequestTooLong = 13;

    explicit SdkChannel(lib_dev* sdk) : mSdk(sdk) {}

    Reply call(const Json::Value& request, bool flag);

  private:
    lib_dev* mSdk;  // borrowed: the process's one SDK object
};

}  // namespace devconsole
