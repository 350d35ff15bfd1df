// The console's requests, each built for a device target and printed with its
// result the way the bench technician reads them.
#pragma once

#include <json/json.h>

#include <ostream>

#include "ConsoleState.h"
#include "SdkChannel.h"

namespace devconsole {

class DeviceRequests {
  public:
    DeviceRequests(SdkChannel& sdk, std::ostream& out) : mSdk(sdk), mOut(out) {}

    // "open_dev" with the connection and model of those indices.
    int open(int connIndex, int modelIndex);
    Reply deviceInfo(const DeviceTarget& target);
    Reply partList(const DeviceTarget& target);
    Reply state(const DeviceTarget& target);
    int powerOff(const DeviceTarget& target);
    // "send_to_parts"; conditions get the target's "DevID" added.
    int move(const DeviceTarget& target, Json::Value conditions);

  private:
    Json::Value base(const char* funccode, int connIndex, int modelIndex) const;
    Json::Value withDevId(const DeviceTarget& target) const;
    Reply send(const Json::Value& request, bool flag);

    SdkChannel& mSdk;
    std::ostream& mOut;
};

}  // namespace devconsole
