#include "StationCycle.h"

namespace devconsole {

namespace {

const char* const kSeparator = "====================================\r";
constexpr int kMaxSide = 3;
constexpr int kReject = 7;
constexpr int kFinished = 6;
constexpr int kSettleMs = 500;

struct Leg {
    int from;
    int to;  // -1: the finishing station
};

// Before the side value goes up, and after.
const Leg kFirstLegs[] = {{0, 1}, {1, 2}, {2, 10}, {10, 5}};
const Leg kLastLegs[] = {{4, 3}, {3, -1}};

// The "part_id" of the last part object of the state answer, or -1.
int lastStation(const Json::Value& doc) {
    int last = -1;
    if (!doc.isObject() || !doc["data"].isArray()) return last;
    for (const Json::Value& parts : doc["data"]) {
        if (!parts.isArray()) continue;
        for (const Json::Value& part : parts) {
            if (part.isObject() && part["part_id"].isInt()) last = part["part_id"].asInt();
        }
    }
    return last;
}

}  // namespace

int StationCycle::move(const DeviceTarget& target, int from, int to) {
    Json::Value conditions(Json::objectValue);
    conditions["accept_side"] = mAcceptSide;
    conditions["part_id"] = from;
    conditions["target_id"] = to;
    return mRequests.move(target, conditions);
}

int StationCycle::run(const DeviceTarget& target) {
    if (mAcceptSide > kMaxSide) mAcceptSide = 0;
    mOut << kSeparator;
    const Reply state = mRequests.state(target);
    if (state.result != 0) return state.result;

    // A card elsewhere than at the slot or an output station goes out first.
    const int at = lastStation(state.doc);
    if (at >= 0 && at != 0 && at != kFinished && at != kReject) {
        Json::Value conditions(Json::objectValue);
        conditions["target_id"] = kReject;
        mRequests.move(target, conditions);
    }

    int rc = 0;
    for (const Leg& leg : kFirstLegs) {
        if ((rc = move(target, leg.from, leg.to)) != 0) break;
    }
    if (rc == 0) {
        ++mAcceptSide;
        for (const Leg& leg : kLastLegs) {
            if ((rc = move(target, leg.from, leg.to < 0 ? mOutput : leg.to)) != 0) break;
        }
    }
    mOutput = mOutput == kReject ? kFinished : kReject;
    if (rc == 0) {
        mTiming.sleepMs(kSettleMs);
        mOut << kSeparator;
    }
    return rc;
}

}  // namespace devconsole
