#include "MockPrinter.h"

#include <string>

namespace devconsole {

namespace {
constexpr int kPrinterCount = 4;
constexpr int kThermalPrinter = 1;
constexpr int kThermalIntervalMs = 15000;
}  // namespace

MockPrinter::MockPrinter(Timing& timing, LogSink& log, int intervalMs)
    : mTiming(timing), mLog(log), mStartMs(timing.nowMs()), mIntervalMs(intervalMs) {}

void MockPrinter::pushCard() {
    mLog.write("假装推卡了开始计时");
    mBusy = 1;
    mStartMs = mTiming.nowMs();
}

int MockPrinter::checkState() {
    if (mBusy == 0) return 0;
    const int64_t elapsed = mTiming.nowMs() - mStartMs;
    mLog.write("正在制证中" + std::to_string(elapsed));
    if (elapsed >= mIntervalMs) {
        mLog.write("正在制证时间到完毕");
        mBusy = 0;
    }
    return mBusy;
}

double MockPrinter::elapsedMs() {
    if (mBusy == 0) return 0;
    const int64_t elapsed = mTiming.nowMs() - mStartMs;
    mLog.write("剩余时间" + std::to_string(elapsed));
    return static_cast<double>(elapsed);
}

std::vector<MockPrinter> makeRunPrinters(Timing& timing, LogSink& log) {
    std::vector<MockPrinter> printers;
    printers.reserve(kPrinterCount);
    for (int i = 0; i < kPrinterCount; ++i) printers.emplace_back(timing, log);
    printers[kThermalPrinter].setInterval(kThermalIntervalMs);
    return printers;
}

}  // namespace devconsole
