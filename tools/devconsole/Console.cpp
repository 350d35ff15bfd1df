#include "Console.h"

#include <cstdio>

namespace devconsole {

Console::Console(SdkChannel& sdk, KeySource& keys, std::ostream& out, Timing& timing, LogSink& log)
    : mKeys(keys),
      mOut(out),
      mRequests(sdk, out),
      mRuns(mState, mRequests, out, timing, log),
      mScreens(mState, mRequests, out),
      mMenuKeys(mState, mRequests, mRuns, out) {}

int Console::run() {
    int last = 0;
    for (;;) {
        // A line end after a key shows no second screen.
        if (last != '\n') mScreens.show();
        mOut.flush();
        std::fflush(stdout);
        last = mKeys.next();
        if (last == KeySource::kEnd) return 0;
        if (mMenuKeys.handle(last) != 0) {
            mOut.flush();
            return 1;
        }
    }
}

}  // namespace devconsole
