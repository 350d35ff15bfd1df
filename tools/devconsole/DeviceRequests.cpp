#include "DeviceRequests.h"

#include <cstdio>

namespace devconsole {

Json::Value DeviceRequests::base(const char* funccode, int connIndex, int modelIndex) const {
    Json::Value request(Json::objectValue);
    request["funccode"] = funccode;
    request["object_name"] = connectionText(connIndex);
    request["device_type"] = modelDeviceType(modelIndex);
    return request;
}

Json::Value DeviceRequests::withDevId(const DeviceTarget& target) const {
    Json::Value conditions(Json::objectValue);
    conditions["DevID"] = target.devId;
    return conditions;
}

Reply DeviceRequests::send(const Json::Value& request, bool flag) {
    Reply reply = mSdk.call(request, flag);
    mOut << "read_reader Return:" << reply.result << "\n" << reply.text << "\n";
    return reply;
}

int DeviceRequests::open(int connIndex, int modelIndex) {
    const Reply reply = mSdk.call(base("open_dev", connIndex, modelIndex), true);
    char index[16];
    std::snprintf(index, sizeof(index), "%2X", static_cast<unsigned>(modelIndex));
    mOut << "open " << connectionText(connIndex) << " [" << index << "] [" << modelName(modelIndex)
         << "] Return:" << reply.result << "\n";
    return reply.result;
}

Reply DeviceRequests::deviceInfo(const DeviceTarget& target) {
    Json::Value request = base("get_dev_info", target.connIndex, target.modelIndex);
    request["async"] = false;
    return send(request, true);
}

Reply DeviceRequests::partList(const DeviceTarget& target) {
    Json::Value request = base("get_part_list", target.connIndex, target.modelIndex);
    request["async"] = false;
    request["conditions"] = Json::Value();
    return send(request, true);
}

Reply DeviceRequests::state(const DeviceTarget& target) {
    Json::Value request = base("get_dev_state", target.connIndex, target.modelIndex);
    request["async"] = false;
    request["conditions"] = withDevId(target);
    return send(request, true);
}

int DeviceRequests::powerOff(const DeviceTarget& target) {
    Json::Value request = base("poweroff_dev", target.connIndex, target.modelIndex);
    request["async"] = false;
    request["conditions"] = withDevId(target);
    return send(request, true).result;
}

int DeviceRequests::move(const DeviceTarget& target, Json::Value conditions) {
    Json::Value request = base("send_to_parts", target.connIndex, target.modelIndex);
    request["async"] = false;
    conditions["DevID"] = target.devId;
    request["conditions"] = conditions;
    return send(request, false).result;
}

}  // namespace devconsole
