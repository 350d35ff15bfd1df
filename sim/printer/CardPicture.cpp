#include "printer/CardPicture.h"

#include <sys/time.h>

#include <cctype>
#include <cstdio>
#include <ctime>

namespace ksim::printer {

std::string saveCardPicture(const std::string& dir, const std::string& identity, const Bytes& image,
                            std::string* error) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm t{};
    localtime_r(&tv.tv_sec, &t);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d-%03d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  static_cast<int>(tv.tv_usec / 1000));
    std::string safe;
    for (char c : identity) safe += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    std::string base = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + stamp + "_" + safe;
    std::string path = base + ".pbm";
    // Two cards within one millisecond get a counter.
    for (int n = 1; std::FILE* probe = std::fopen(path.c_str(), "rb"); ++n) {
        std::fclose(probe);
        path = base + "_" + std::to_string(n) + ".pbm";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot write " + path;
        return {};
    }
    std::fputs("P4\n672 944\n", f);
    const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (std::fclose(f) != 0 || !ok) {
        *error = "cannot write " + path;
        return {};
    }
    return path;
}

}  // namespace ksim::printer
