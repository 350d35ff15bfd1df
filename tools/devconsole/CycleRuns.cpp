#include "CycleRuns.h"

#include "PrinterBatch.h"
#include "StationCycle.h"

namespace devconsole {

namespace {
constexpr int kPauseMs = 3000;
}  // namespace

int CycleRuns::cycle(std::vector<MockPrinter>& printers) {
    if (mState.modelIndex == kHighSpeedModel) {
        return PrinterBatch(mRequests, mOut, mLog, mState.acceptSide)
            .cycle(mState.target(), printers);
    }
    return StationCycle(mRequests, mOut, mTiming, mState.acceptSide, mState.output)
        .run(mState.target());
}

void CycleRuns::tally(int n, int succeeded, int failed) {
    mOut << "操作第[" << n << "]次 成功" << succeeded << "次 失败" << failed << "次 \n";
    mOut.flush();
    mTiming.sleepMs(kPauseMs);
}

void CycleRuns::repeated() {
    std::vector<MockPrinter> printers = makeRunPrinters(mTiming, mLog);
    for (int n = 1; n <= kSeriesLength; ++n) {
        if (cycle(printers) != 0) return;
        tally(n, n, 0);
    }
}

void CycleRuns::once() {
    std::vector<MockPrinter> printers = makeRunPrinters(mTiming, mLog);
    const bool ok = cycle(printers) == 0;
    tally(1, ok ? 1 : 0, ok ? 0 : 1);
}

}  // namespace devconsole
