#include "KeySource.h"

#include <unistd.h>

#include <cerrno>

namespace devconsole {

int FdKeySource::next() {
    for (;;) {
        unsigned char c = 0;
        const ssize_t n = read(mFd, &c, 1);
        if (n == 1) return c;
        if (n < 0 && errno == EINTR) continue;
        return kEnd;
    }
}

}  // namespace devconsole
