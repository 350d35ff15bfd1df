// Station routing of the standard driver: the request, the target-to-move
// mapping and the station moves.
#include <string>

#include "core/Process.h"
#include "core/ResultCodes.h"
#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "mechanism/StationTable.h"
#include "mechanism/kqDevMid00.h"

namespace {

using kqcode::kInvalidData;
constexpr short kPrepare = 0x4003;
constexpr short kDetain = 0x4006;
constexpr int kDetainTimeoutMs = 15000;

// The integer value of key in object; false when absent or not an integer.
bool intMember(const Json::Value& object, const char* key, int& value) {
    if (!object.isMember(key)) return false;
    const Json::Value& v = object[key];
    if (!v.isInt()) return false;
    value = v.asInt();
    return true;
}

int intOption(const Json::Value& object, const char* key, int fallback) {
    int value = fallback;
    return intMember(object, key, value) ? value : fallback;
}

}  // namespace

int kqDevMid00::send_to_parts(const char* argsJson, char* out) {
    Json::Value args;
    if (convertString2json(argsJson, args) != 0) {
        return result_json_code(kInvalidData, out, "传入的内容不符合JSON格式");
    }
    if (!args.isObject() || !args.isMember("conditions") || !args["conditions"].isObject()) {
        return result_json_code(kInvalidData, out, "传入的内容不存在conditions");
    }
    const Json::Value& conditions = args["conditions"];

    int target = -1;
    if (conditions.isMember("target_id")) {
        if (!intMember(conditions, "target_id", target) || mParts.count(target) == 0) {
            return result_json_code(kInvalidData, out, "传入的目标工位信息未查到");
        }
    } else if (conditions.isMember("target_name")) {
        const Json::Value& wanted = conditions["target_name"];
        if (wanted.isString()) {
            for (const auto& [id, name] : mParts) {
                if (name == wanted.asString()) {
                    target = id;
                    break;
                }
            }
        }
    }
    const int acceptSide = intOption(conditions, "accept_side", 0);
    const int acceptSideOcr = intOption(conditions, "accept_side_ocr", -1);

    int start = -1;
    if (conditions.isMember("part_id")) {
        if (!intMember(conditions, "part_id", start) || (start != -1 && mParts.count(start) == 0)) {
            return result_json_code(kInvalidData, out, "传入的起始工位信息未查到");
        }
    }

    const int rc = analyzeOptions(start, target, acceptSide, acceptSideOcr, out);
    const std::string route = "由[" + partName(start) + "]--->[" + partName(target) +
                              "]的工位操作" + (rc == 0 ? "成功" : "失败");
    writeLog(route);
    return result_json_code(rc, out, route.c_str());
}

int kqDevMid00::analyzeOptions(int, int targetPart, int acceptSide, int acceptSideOcr, char* out) {
    const auto side = static_cast<unsigned char>(acceptSide);
    const auto ocr = static_cast<unsigned char>(acceptSideOcr);
    switch (targetPart) {
        case station::kEntrySlot:
        case station::kFinished:
        case station::kReject:
            writeLog("机构出卡");
            return _EjectCard(1, kFeedTimeoutMs);
        case station::kDirection:
            writeLog("机构进卡到OCR工位");
            return _toOCRPosition(0);
        case station::kReader:
            writeLog("机构进卡到读卡器工位");
            return _toReaderPos(0);
        case station::kQRCode:
            writeLog("机构进卡到二维码识别工位");
            return _toRollBackPrinter(1);
        case station::kPrePrint:
        case station::kReadyToPrint:
        case station::kTransfer:
            writeLog("机构进卡到打印前工位");
            return acceptSideOcr >= 0 ? _toPrinterReadyByOCR(ocr) : _toPrinterReady(side);
        case station::kPrinter:
            writeLog("机构进卡到打印机工位");
            return acceptSideOcr >= 0 ? _toPrinterPosByOCR(ocr) : _toPrinterPos(side);
        case station::kDetain:
            writeLog("机构推卡到存卡位置（吞卡）");
            return _toDetainPos(0);
        case station::kBeforeTransfer:
            return result_json_code(kInvalidData, out, "该机构不支持这个工位");
        default:
            return result_json_code(kInvalidData, out, "target_id参数错误，该机构不支持这个工位");
    }
}

int kqDevMid00::_toOCRPosition(unsigned char mode) {
    const int rc = _AcceptCard(mode, kFeedTimeoutMs);
    if (rc == 0) recordCard(station::kDirection);
    return rc;
}

int kqDevMid00::_toReaderPos(unsigned char mode) {
    const int rc = _AcceptCard(mode, kFeedTimeoutMs);
    if (rc == 0) recordCard(station::kReader);
    return rc;
}

int kqDevMid00::_toRollBackPrinter(unsigned char mode) {
    const int rc = _AcceptCard(mode, kFeedTimeoutMs);
    if (rc == 0) recordCard(station::kQRCode);
    return rc;
}

int kqDevMid00::_toPrinterReady(unsigned char) {
    recordCard(station::kReadyToPrint);
    return 0;
}

int kqDevMid00::_toPrinterPos(unsigned char) {
    int rc = _EjectCard(0, kFeedTimeoutMs);
    if (rc != 0) return rc;
    unsigned char sensors[kSensorBytes] = {};
    if ((rc = _toGetSensors(sensors)) != 0) return rc;
    recordCard(station::kPrePrint);
    recordCard(station::kPrinter);
    return 0;
}

int kqDevMid00::_toReaderBadPos(unsigned char mode) {
    const int rc = _EjectCard(mode, kFeedTimeoutMs);
    if (rc == 0) {
        mCardAt.clear();
        mCardAt[station::kEntrySlot] = true;
        addCard(station::kReject);
    }
    return rc;
}

int kqDevMid00::_toOCRBadPos(unsigned char mode) {
    return _toReaderBadPos(mode);
}
int kqDevMid00::_toQRCodeBadPos(unsigned char mode) {
    return _toReaderBadPos(mode);
}

int kqDevMid00::_toQRCodeGoodPos(unsigned char mode) {
    const int rc = _EjectCard(mode, kFeedTimeoutMs);
    if (rc == 0) {
        mCardAt.clear();
        mCardAt[station::kEntrySlot] = true;
        addCard(station::kFinished);
    }
    return rc;
}

int kqDevMid00::_toDetainPos(unsigned char mode) {
    int rc = command(kPrepare, {mode}, kDetainTimeoutMs);
    if (rc != 0) return rc;
    if ((rc = command(kDetain, {mode}, kDetainTimeoutMs)) != 0) return rc;
    recordCard(station::kDetain);
    return 0;
}

int kqDevMid00::_toTranfer(unsigned char) {
    return 0;
}
int kqDevMid00::_toTranferByOCR(unsigned char ocr) {
    return _toTranfer(ocr);
}
int kqDevMid00::_toPrinterReadyByOCR(unsigned char ocr) {
    return _toPrinterReady(ocr);
}
int kqDevMid00::_toPrinterPosByOCR(unsigned char) {
    return _toPrinterPos(0);
}
