#include "SdkChannel.h"

#include <cstring>
#include <memory>
#include <vector>

#include "core/ResultJson.h"

namespace devconsole {

Reply SdkChannel::call(const Json::Value& request, bool flag) {
    Reply reply;
    const std::string text = json2string(request);
    // The terminating NUL must fit as well.
    if (text.size() >= kRequestCapacity) {
        reply.result = kRequestTooLong;
        return reply;
    }
    char args[kRequestCapacity] = {};
    std::memcpy(args, text.data(), text.size());
    std::vector<char> out(kResultCapacity, 0);
    reply.result = lib_call_method(mSdk, flag, args, out.data());
    reply.text.assign(out.data(), strnlen(out.data(), out.size()));

    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value doc;
    if (reader->parse(reply.text.data(), reply.text.data() + reply.text.size(), &doc, nullptr)) {
        reply.doc = doc;
    }
    return reply;
}

}  // namespace devconsole
