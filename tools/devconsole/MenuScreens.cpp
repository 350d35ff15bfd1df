#include "MenuScreens.h"

#include <cstdio>
#include <string>

namespace devconsole {

namespace {

const char* const kBorder = "*-------------------------------------------------------*\n";
const char* const kPrompt = "     请输入(0-9):";
const char* const kExitLine = "*    0:退出程序                                           *\n";
const char* const kPreviousLine = "*    9:上一页                                    *\n";

const char* const kStartLines =
    "*                                                       *\n"
    "*    1:打开连接的所有机构(自动) (无论什么机构)                                *\n"
    "*    2:打开连接的首个COM口机构(自动)               \t\t\t*\n"
    "*    3:打开连接的KQUSB的机构(自动) （长短模块、批签机、高速制证机等）                "
    "                *\n"
    "*    4:打开连接的DS打印机做机构(自动) ()                                *\n";

const char* const kSerialLines =
    "*    1:自动尝试机构类型                  *\n"
    "*    2:1批签机FF款                  *\n"
    "*    3:F001                  *\n"
    "*    4:F003                  *\n";

const char* const kUsbLines =
    "*    1:自动尝试机构类型                  *\n"
    "*    2短模块(单签机)00款                  *\n"
    "*    3短模块(单签机)01款                  *\n"
    "*    4长模块02款                  *\n"
    "*    5翻转模块(360)09款                  *\n"
    "*    6翻转模块(固定翻转) 19款                   *\n"
    "*    7直角翻转模块70款                  *\n"
    "*    8高速制证机80款                  *\n"
    "*    9长模块88款                  *\n";

const char* const kPrinterLines = "*     1:DS打印机款F002                   *\n";

const char* const kActionHeads[] = {"*    1:操作1次，使用[", "*   2:循环1000次，使用[",
                                    "*   3:循环1次，使用[", "*   4:断电，使用[",
                                    "*   5:获取状态，使用["};

// Entries 0 to 7 on page 1; page 2 goes on with entry 9.
constexpr int kPageOneFirst = 0;
constexpr int kPageOneCount = 8;
constexpr int kPageTwoFirst = 9;
constexpr int kPageTwoCount = 7;

}  // namespace

void MenuScreens::show() {
    mOut << "\n" << kBorder;
    title();
    switch (mState.menu) {
        case menu::kStart:
            mOut << kStartLines << kExitLine;
            break;
        case menu::kSerial:
            mOut << kSerialLines << kPreviousLine << kExitLine;
            break;
        case menu::kUsb:
            mOut << kUsbLines << kExitLine;
            break;
        case menu::kPrinter:
            mOut << kPrinterLines << kPreviousLine << kExitLine;
            break;
        case menu::kDevices:
            if (!deviceList()) return;
            break;
        case menu::kActions:
            actions();
            break;
        case menu::kTargetPage1:
            stations(false, false);
            break;
        case menu::kTargetPage2:
            stations(true, false);
            break;
        case menu::kStartPage1:
            stations(false, true);
            break;
        case menu::kStartPage2:
            stations(true, true);
            break;
        default:
            break;
    }
    mOut << kBorder << kPrompt;
}

void MenuScreens::title() {
    mOut << "*            机构 Demo(" << connectionText(mState.connIndex)
         << modelName(mState.modelIndex) << " )                                *\n";
}

bool MenuScreens::deviceList() {
    const Reply reply = mRequests.deviceInfo(mState.target());
    if (reply.result != 0 || !reply.doc.isObject() || !reply.doc["data"].isArray()) return false;
    mOut << "*    1:全部进行                *\n";
    mState.devices.clear();
    const Json::Value& data = reply.doc["data"];
    for (Json::ArrayIndex i = 0; i < data.size(); ++i) {
        const Json::Value& device = data[i];
        const std::string id = device["DevID"].isString() ? device["DevID"].asString() : "";
        auto text = [&device](const char* key) {
            return device[key].isString() ? device[key].asString() : std::string();
        };
        mOut << "*    " << i + 2 << ":尝试[" << text("deviceType_hex") << "]["
             << text("deviceType_c") << "][" << id
             << "]机构进行操作                                       *\n";
        mState.devices.push_back(id);
    }
    mOut << kPreviousLine << kExitLine;
    return true;
}

void MenuScreens::actions() {
    for (const char* head : kActionHeads) {
        mOut << head << connectionText(mState.connIndex) << "]   类型["
             << modelName(mState.modelIndex) << "]    [" << mState.devId << "]           *\n";
    }
    mOut << kExitLine;
}

void MenuScreens::stations(bool secondPage, bool startKind) {
    const Reply reply = mRequests.partList(mState.target());
    const Json::Value* data = reply.doc.isObject() ? &reply.doc["data"] : nullptr;
    if (reply.result != 0 || data == nullptr || !data->isArray() || data->empty()) {
        mOut << "*    无法获取工位列表                                 *\n" << kExitLine;
        return;
    }
    mState.stations.clear();
    mOut << (secondPage ? "*    0:上一页                                           *\n"
                        : kExitLine);
    const int first = secondPage ? kPageTwoFirst : kPageOneFirst;
    const int count = secondPage ? kPageTwoCount : kPageOneCount;
    for (int n = 0; n < count && first + n < static_cast<int>(data->size()); ++n) {
        const Json::Value& part = (*data)[first + n];
        const int id = part["part_id"].isInt() ? part["part_id"].asInt() : 0;
        char head[96];
        if (startKind) {
            std::snprintf(head, sizeof(head), "*    %d:尝试由工位发出[%d] [", n + 1, id);
        } else {
            std::snprintf(head, sizeof(head), "*    %d:尝试到达工位[%d] [", n + 1, id);
        }
        const std::string name = part["part_name"].isString() ? part["part_name"].asString() : "";
        mOut << head << name << "]                                      *\n";
        mState.stations.push_back(id);
    }
    mOut << "*    9:下 一页                                       *\n";
}

}  // namespace devconsole
