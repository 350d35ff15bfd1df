// Result codes of the link layer.
#pragma once

namespace devlink {

constexpr int kPortTimeout = 1;  // a port's "no data before the timeout"
constexpr int kNoReply = 230;
constexpr int kWriteFailed = 232;
constexpr int kReplyTooLong = 233;
constexpr int kBadReply = 236;
constexpr int kScriptError = 974850;

}  // namespace devlink
