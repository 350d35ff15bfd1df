// Names of the result codes the SDK's own code returns; BaseCode() holds their messages.
#pragma once

namespace kqcode {

constexpr int kSuccess = 0;
constexpr int kIncorrectFunction = 1;  // 函数不正确
constexpr int kInvalidData = 13;       // 无效数据
constexpr int kWaitTimeout = 258;      // 等待操作超时
constexpr int kNotSupported = 1003;    // 功能不支持
constexpr int kNotConnected = 1167;    // 设备未连接
constexpr int kInvalidClass = 1348;    // 无效类
constexpr int kClassMissing = 1411;    // 类不存在
constexpr int kOverLimit = 4336;       // 超出了最大值

}  // namespace kqcode
