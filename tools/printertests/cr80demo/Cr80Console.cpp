#include "Cr80Console.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CardPrint.h"
#include "Character.h"
#include "DemoLog.h"
#include "DemoResult.h"
#include "LibCR80SDK.h"
#include "SampleCard.h"

namespace {

constexpr size_t kSerialCapacity = 49;
constexpr size_t kDocumentCapacity = 10 * 1024 * 1024;

const char kOperationMenu[] =
    "\r\n选择操作--\r\n-1：退出\r\n0：返回设备选择 \r\n1：打印样例 \r\n2：获取卡片入卡口状态 "
    "\r\n3：获取剩余次数 \r\n4：进卡 \r\n5：出卡 \r\n6：180度旋转打印样例 \r\n7：清洁 \r\n8：黑卡 "
    "\r\n9技术测试卡：出卡 \r\n";

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The next number typed; a line that is no number reads as `invalid`, the end of
// input as -1 (quit).
int readNumber(int invalid) {
    std::fflush(stdout);
    char line[256];
    if (!std::fgets(line, sizeof line, stdin)) return -1;
    int value = 0;
    return std::sscanf(line, "%d", &value) == 1 ? value : invalid;
}

void waitForNumber() {
    readNumber(0);
}

void printSample(const char* serial, bool rotate) {
    say(std::string("c:\\") + "绘制海南居住证擦写例子" + ".jpg");
    Json::Value sample(Json::objectValue);
    hn_data("", 1016, 648, rotate, true, sample);
    Json::Value request(Json::objectValue);
    request["conditions"] = sample;
    const std::string text = parseJson2str(request, false);
    std::vector<char> requestBuffer(kDocumentCapacity, 0);
    std::memcpy(requestBuffer.data(), text.data(), std::min(text.size(), kDocumentCapacity - 1));
    say(requestBuffer.data());
    std::vector<char> result(kDocumentCapacity, 0);
    libDrawCR80Image(serial, requestBuffer.data(), result.data());
}

// The operation menu for one printer; false when the program is to end.
bool operate(LibCR80SDK& sdk, const char* serial) {
    for (;;) {
        std::printf("%s\n", kOperationMenu);
        switch (readNumber(7)) {
            case -1:
                return false;
            case 0:
                return true;
            case 1:
                printSample(serial, false);
                break;
            case 2: {
                int hasCard = 0;
                const int r = sdk.libCR80IsFeederNoEmpty(serial, &hasCard);
                say("CR80IsFeederNoEmpty r=" + std::to_string(r) +
                    (hasCard ? "卡槽有卡" : "卡槽没卡"));
                break;
            }
            case 3: {
                std::vector<char> text(5024, 0);
                const int r = sdk.libCR80GetRbnAndFilmRemaining(serial, text.data());
                text.back() = 0;
                say("libCR80GetRbnAndFilmRemaining r=" + std::to_string(r) + "[" + text.data() +
                    "]");
                break;
            }
            case 4:
                say("CR80CardInject r=" + std::to_string(sdk.libCR80CardInject(serial, 0)));
                break;
            case 5:
                say("CardEject r=" + std::to_string(sdk.libCR80CardEject(serial, 4)));
                break;
            case 6:
                printSample(serial, true);
                break;
            default:
                break;
        }
    }
}

void chooseAndOperate(LibCR80SDK& sdk, const std::vector<std::string>& printers) {
    for (;;) {
        std::printf("\r\n选择操作对象--\r\n-1:退出  ");
        for (size_t i = 0; i < printers.size(); ++i)
            std::printf("\r\n%zu:打印机序列号：%s", i, printers[i].c_str());
        std::printf("\n\n");
        const int choice = readNumber(-2);
        if (choice == -1) return;
        if (choice < 0 || static_cast<size_t>(choice) >= printers.size()) continue;
        // A serial number that does not fit is refused rather than cut to another one.
        if (printers[choice].size() >= kSerialCapacity) {
            say("打印机序列号太长");
            continue;
        }
        char serial[kSerialCapacity] = {0};
        std::memcpy(serial, printers[choice].c_str(), printers[choice].size() + 1);
        if (!operate(sdk, serial)) return;
    }
}

}  // namespace

int runCr80Demo() {
    say("in main");
    initSys();
    say("in initSys");
    libC80_loadLibrary(nullptr);
    say("in main2");
    LibCR80SDK* sdk = firstSdk();
    if (!sdk) {
        say("没有获取到相应的打印实体");
        return 0;
    }
    say("in main3");
    say("in main4");
    int r = sdk->libCR80LibInit();
    say("in main5");
    if (r != 0) {
        say("libCR80LibInit失败r=" + std::to_string(r));
        waitForNumber();
        return 0;
    }
    std::vector<char> list(5120, 0);
    int length = 0;
    int count = 0;
    r = sdk->libCR80EnumUsbPrt(list.data(), &length, &count);
    if (r != 0) {
        say("枚举设备失败r=" + std::to_string(r));
        waitForNumber();
        return 0;
    }
    if (count == 0) {
        say("请检查USB，枚举设备数量" + std::to_string(0));
        waitForNumber();
        return 0;
    }
    list.back() = 0;
    chooseAndOperate(*sdk, _character::split(list.data(), "\n"));
    return 0;
}
