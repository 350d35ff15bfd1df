#include "EcpConsole.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kqCR80Printer.h"

namespace ecptool {
namespace {
const char kPictureFile[] = "pmb_pmb.pbm";
constexpr std::size_t kPbmHeader = 11;

enum class Read { Number, NotNumber, End };

// One answer line; a line that is not a number counts as no choice.
Read readInt(std::FILE* in, int* value) {
    char line[128];
    if (!std::fgets(line, sizeof line, in)) return Read::End;
    char* end = nullptr;
    const long v = std::strtol(line, &end, 10);
    if (end == line) return Read::NotNumber;
    *value = static_cast<int>(v);
    return Read::Number;
}

// Closing step: a line end, then wait for a number before leaving.
int finish(std::FILE* in, std::FILE* out) {
    std::fputs("\n", out);
    std::fflush(out);
    int ignored = 0;
    while (readInt(in, &ignored) == Read::NotNumber) {
    }
    return 0;
}

std::vector<std::string> splitList(const char* list) {
    std::vector<std::string> ids;
    std::string item;
    for (const char* p = list;; ++p) {
        if (*p == '\n' || *p == '\0') {
            if (!item.empty()) ids.push_back(item);
            item.clear();
            if (*p == '\0') break;
        } else {
            item += *p;
        }
    }
    return ids;
}

// The picture's raster after its header, always a whole card image: a short file is
// padded with blank rows instead of being read past its end.
bool loadPicture(std::vector<char>* raster, int* dataLength) {
    struct stat st {};
    if (::stat(kPictureFile, &st) != 0) return false;
    std::ifstream file(kPictureFile, std::ios::binary);
    if (!file) return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    *dataLength = static_cast<int>(bytes.size()) - static_cast<int>(kPbmHeader);
    raster->assign(KQ_ECP_IMAGE_BYTES, 0);
    if (bytes.size() > kPbmHeader) {
        const std::size_t n = std::min<std::size_t>(bytes.size() - kPbmHeader, KQ_ECP_IMAGE_BYTES);
        std::copy(bytes.begin() + kPbmHeader, bytes.begin() + static_cast<long>(kPbmHeader + n),
                  raster->begin());
    }
    return true;
}
}  // namespace

int runConsole(std::FILE* in, std::FILE* out) {
    char list[1024] = {};
    unsigned int length = sizeof list;
    int count = 0;
    const int r = kq_ecp_enum(list, &length, &count);
    if (r != 0) {
        std::fprintf(out, "枚举设备失败r=%d", r);
        return finish(in, out);
    }
    const std::vector<std::string> ids = splitList(list);
    if (ids.empty()) {
        std::fprintf(out, "请检查USB，枚举设备数量%d", 0);
        return finish(in, out);
    }
    for (;;) {
        std::fputs("\r\n选择操作对象--\r\n-1:退出  ", out);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            std::fprintf(out, "\r\n%d:%s", static_cast<int>(i), ids[i].c_str());
        }
        std::fputs("\n", out);
        std::fflush(out);
        int choice = 0;
        const Read got = readInt(in, &choice);
        if (got == Read::End || (got == Read::Number && choice == -1)) return 0;
        if (got != Read::Number || choice < 0 || choice >= static_cast<int>(ids.size())) continue;
        const std::string identity = ids[static_cast<std::size_t>(choice)].substr(0, 99);

        std::fputs("请选择功能：\r\n", out);
        std::fputs("0:打印\r\n", out);
        std::fputs("1:擦卡\r\n", out);
        std::fputs("\n", out);
        std::fflush(out);
        int function = 0;
        const Read fn = readInt(in, &function);
        if (fn == Read::End) return 0;
        if (fn == Read::Number && (function == 0 || function == 1)) {
            kqCR80_Pram* printer = nullptr;
            int rc = kq_ecp_open(identity.c_str(), &printer);
            if (rc != 0) {
                std::fprintf(out, "打开设备失败r=%d", rc);
                return finish(in, out);
            }
            if (function == 1) {
                rc = kq_ecp_erase(printer);
                if (rc != 0) {
                    std::fprintf(out, "设备擦卡失败r=%d", rc);
                    return finish(in, out);
                }
                continue;
            }
            std::vector<char> raster;
            int dataLength = 0;
            if (!loadPicture(&raster, &dataLength)) {
                std::fprintf(out, "找不到图片%d", 0);
                return finish(in, out);
            }
            rc = kq_ecp_print(printer, raster.data(), dataLength, 944, 672);
            if (rc != 0) {
                std::fprintf(out, "设备打印失败r=%d", rc);
                return finish(in, out);
            }
            continue;
        }
        std::fputs("未定义胡功能\n", out);
    }
}
}  // namespace ecptool
