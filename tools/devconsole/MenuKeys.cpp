#include "MenuKeys.h"

namespace devconsole {

namespace {

// The number of a digit key, or -1.
int digit(int key) {
    return key >= '0' && key <= '9' ? key - '0' : -1;
}

}  // namespace

int MenuKeys::handle(int key) {
    switch (mState.menu) {
        case menu::kStart:
            return start(key);
        case menu::kSerial:
            return serial(key);
        case menu::kUsb:
            return usb(key);
        case menu::kPrinter:
            return printer(key);
        case menu::kDevices:
            return devices(key);
        case menu::kActions:
            return actions(key);
        case menu::kTargetPage1:
            return targetPage(key, false);
        case menu::kTargetPage2:
            return targetPage(key, true);
        case menu::kStartPage1:
            return startPage(key, false);
        case menu::kStartPage2:
            return startPage(key, true);
        default:
            return unknown();
    }
}

int MenuKeys::exit() {
    mOut << "Exit\n";
    return kStop;
}

int MenuKeys::unknown() {
    mOut << "请选择\n";
    return 0;
}

int MenuKeys::open(int chosen, int shownIndex) {
    if (mRequests.open(mState.connIndex, chosen) == 0) {
        mState.modelIndex = shownIndex;
        mState.menu = menu::kDevices;
    }
    return 0;
}

int MenuKeys::start(int key) {
    struct Choice {
        int connIndex;
        int menu;
    };
    static const Choice kChoices[] = {
        {0, menu::kDevices}, {1, menu::kSerial}, {2, menu::kUsb}, {3, menu::kPrinter}};
    const int n = digit(key);
    if (n == 0) return exit();
    if (n < 1 || n > 4) return unknown();
    mState.connIndex = kChoices[n - 1].connIndex;
    mState.menu = kChoices[n - 1].menu;
    return 0;
}

int MenuKeys::serial(int key) {
    switch (digit(key)) {
        case 0:
            return exit();
        case 1:
            return open(0, kNoModel);
        case 2:
            return open(9, 9);
        case 3:
            return open(10, 10);
        case 4:
            return open(12, 12);
        case 9:
            mState.menu = menu::kStart;
            return 0;
        default:
            return unknown();
    }
}

int MenuKeys::usb(int key) {
    const int n = digit(key);
    if (n == 0) return exit();
    if (n == 1) return open(0, kNoModel);
    if (n >= 2) return open(n - 1, n - 1);
    return unknown();
}

int MenuKeys::printer(int key) {
    switch (digit(key)) {
        case 0:
            return exit();
        case 1:
            return open(11, 11);
        case 9:
            mState.menu = menu::kStart;
            return 0;
        default:
            return unknown();
    }
}

int MenuKeys::devices(int key) {
    const int n = digit(key);
    if (n == 0) return exit();
    if (n == 1) {
        mState.devId.clear();
    } else if (n >= 2 && n <= 8) {
        if (n - 2 >= static_cast<int>(mState.devices.size())) return kStop;
        mState.devId = mState.devices[n - 2];
    } else if (n != 9) {
        return unknown();
    }
    mState.menu = menu::kActions;
    return 0;
}

int MenuKeys::actions(int key) {
    switch (digit(key)) {
        case 0:
            return exit();
        case 1:
            mState.menu = menu::kTargetPage1;
            return 0;
        case 2:
            mRuns.repeated();
            return 0;
        case 3:
            mRuns.once();
            return 0;
        case 4:
            mRequests.powerOff(mState.target());
            return 0;
        case 5:
            mRequests.state(mState.target());
            return 0;
        default:
            return unknown();
    }
}

bool MenuKeys::station(int key, int& id) const {
    const int n = digit(key);
    if (n < 1 || n > static_cast<int>(mState.stations.size())) return false;
    id = mState.stations[n - 1];
    return true;
}

void MenuKeys::moveTo(const Json::Value& conditions) {
    mRequests.move(mState.target(), conditions);
}

int MenuKeys::targetPage(int key, bool secondPage) {
    const int n = digit(key);
    if (n == 0 || n == 9) {
        if (secondPage) {
            mState.menu = menu::kTargetPage1;
            return 0;
        }
        if (n == 0) return exit();
        mState.menu = menu::kTargetPage2;
        return 0;
    }
    if (n < 1) return unknown();
    if (!station(key, mState.targetStation)) return kStop;
    if (mState.modelIndex == kHighSpeedModel) {
        mState.menu = menu::kStartPage1;
        return 0;
    }
    Json::Value conditions(Json::objectValue);
    conditions["target_id"] = mState.targetStation;
    moveTo(conditions);
    return 0;
}

int MenuKeys::startPage(int key, bool secondPage) {
    const int n = digit(key);
    if (n == 0) {
        if (!secondPage) return exit();
        mState.menu = menu::kTargetPage1;
        return 0;
    }
    if (n == 9) {
        mState.menu = secondPage ? menu::kStartPage1 : menu::kStartPage2;
        return 0;
    }
    if (n < 1) return unknown();
    int from = 0;
    if (!station(key, from)) return kStop;
    Json::Value conditions(Json::objectValue);
    conditions["part_id"] = from;
    conditions["target_id"] = mState.targetStation;
    moveTo(conditions);
    return 0;
}

}  // namespace devconsole
