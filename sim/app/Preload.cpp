#include "app/Preload.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ksim::app {

namespace {
const char kGuard[] = "KIOSK_SIM_PRELOADED";
const char kPreloadLibrary[] = "libumockdev-preload.so.0";
}  // namespace

void allowPreloadUnderAsan() {
    const char* current = getenv("ASAN_OPTIONS");
    std::string options = current ? current : "";
    if (options.find("verify_asan_link_order") != std::string::npos) return;
    if (!options.empty()) options += ":";
    options += "verify_asan_link_order=0";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

bool ensurePreloaded(char** argv, std::string* error) {
    if (getenv(kGuard)) return true;
    const char* current = getenv("LD_PRELOAD");
    std::string preload = current ? current : "";
    if (preload.find("libumockdev-preload") == std::string::npos) {
        preload = kPreloadLibrary + (preload.empty() ? "" : ":" + preload);
        setenv("LD_PRELOAD", preload.c_str(), 1);
    }
    setenv(kGuard, "1", 1);
    allowPreloadUnderAsan();
    execv("/proc/self/exe", argv);
    *error = std::string("cannot re-execute under the umockdev preload: ") + strerror(errno);
    return false;
}

void clearPreloadGuard() {
    unsetenv(kGuard);
}

}  // namespace ksim::app
