#include "mechanism/kqDevMid00.h"

#include <cstdio>
#include <vector>

#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "mechanism/BoardAccess.h"
#include "mechanism/StationTable.h"

namespace {

ClassRegistration<kqDevMid00, kqDevMid00> registerClass("kqDevMid00");
StaticRegistration<kqDevMid00> registerCheck("kqDevMid00", "checkconnects",
                                             &kqDevMid00::checkconnects);

using kqcode::kNotConnected;

const UsbId kMechanismIds[] = {
    {0x0483, 0x5740}, {0x0483, 0x5741}, {0x0483, 0x5704}, {0x0483, 0x5702}};

}  // namespace

kqDevMid00::kqDevMid00() {
    fillStationTable(mParts);
}

std::unique_ptr<kqDevMid00> kqDevMid00::_CreateObjectByName() {
    return std::make_unique<kqDevMid00>();
}

int listMechanismBoards(char* out) {
    std::vector<UsbId> ids;
    if (!boardAccess().listUsb(ids)) return result_json_code(kNotConnected, out, "无法列出UBS列表");
    Json::Value found(Json::arrayValue);
    for (const UsbId& id : ids) {
        for (const UsbId& known : kMechanismIds) {
            if (id.vid != known.vid || id.pid != known.pid) continue;
            char text[40];
            std::snprintf(text, sizeof(text), "KQUSBDev_0x%04x_0x%04x", id.vid, id.pid);
            found.append(text);
        }
    }
    if (found.empty()) return result_json_code(kNotConnected, out, "");
    return result_json_code(0, out, found, "");
}

int kqDevMid00::checkconnects(const char*, char* out) {
    return listMechanismBoards(out);
}

int kqDevMid00::open() {
    return 0;
}
int kqDevMid00::close() {
    return 0;
}

int kqDevMid00::analyzeFlash(void* port, int index) {
    mPackageNum = static_cast<short>(index);
    if (mLink->port() != port) {
        mLink = &mOwnLink;
        mOwnLink.borrow(static_cast<Device*>(port));
    }
    mDevJson = Json::Value();
    const int rc = analyzeFlashNormal(port, index, mInfo.get());
    if (rc != 0) return rc;
    mInfo->handle = port;
    mInfo->index = mPackageNum;
    devInfo2json(mDevJson, mInfo.get());
    return 0;
}

int kqDevMid00::analyzeFlash(const char* name) {
    setInfoText(mInfo->path, name, kInfoTextCapacity);
    mDevJson = Json::Value();
    return -1;
}

int kqDevMid00::toGetDevJsonOld(Json::Value& out) {
    out = mDevJson;
    return 0;
}

int kqDevMid00::readConfigData(unsigned char* out, int* outLen) {
    int none = 0;
    return _ReadFlash(nullptr, 0, out, outLen != nullptr ? *outLen : none);
}

std::string kqDevMid00::errcode2value(int code) {
    if (code == 0) return "成功";
    char text[64];
    std::snprintf(text, sizeof(text), "失败%d(0x%x)", code, static_cast<unsigned int>(code));
    return text;
}
