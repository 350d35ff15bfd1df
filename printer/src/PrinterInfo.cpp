#include "PrinterInfo.h"

#include <json/json.h>

namespace ecp {
int fetchPrinterInfo(kqCR80Printer& driver, kqCR80_Pram* p) {
    if (p->infoDone) return 0;
    int r = 0;
    if (!p->version[0]) {
        r = driver.GetFwVer(p->port, nullptr, nullptr, nullptr, p->version);
        if (r != 0) return r;
    }
    if (!p->id[0] || !p->idExtra[0]) {
        r = driver.GetID(p->port, nullptr, nullptr, nullptr, p->id, p->idExtra);
        if (r != 0) return r;
    }
    r = driver.GetPrintPara(p);
    if (r != 0) return r;
    r = driver.SelfChecking(p, p->isOutCard, &p->status, &p->cardPosition, &p->lastPrintResult,
                            &p->lastPrintErrCode, &p->totalPrintCnt, &p->remainTimes,
                            &p->continueCnt, &p->cleanCnt);
    if (r != 0) return r;
    p->infoDone = 1;
    return 0;
}

std::string printerInfoJson(const kqCR80_Pram& p) {
    Json::Value doc(Json::objectValue);
    doc["Version"] = std::string(p.version);
    doc["Id"] = std::string(p.id);
    doc["IsOutCard"] = Json::Int(p.isOutCard);
    doc["Status"] = Json::Int(p.status);
    doc["CardPosition"] = Json::Int(p.cardPosition);
    doc["LastPrintResult"] = Json::Int(p.lastPrintResult);
    doc["LastPrintErrCode"] = Json::Int(p.lastPrintErrCode);
    doc["TotalPrintCnt"] = Json::UInt(p.totalPrintCnt);
    doc["RemainTimes"] = Json::UInt(p.remainTimes);
    doc["ContinueCnt"] = Json::UInt(p.continueCnt);
    doc["CleanCnt"] = Json::UInt(p.cleanCnt);
    doc["currClean"] = Json::UInt(p.continueCnt);
    doc["CurPrtCnt"] = Json::UInt(p.continueCnt);
    doc["SerialNumber"] = std::string(p.id);
    doc["serialNumber"] = std::string(p.id);
    doc["MaxPrtCnt"] = Json::UInt(p.cleanCnt);
    doc["maxClean"] = Json::UInt(p.cleanCnt);
    doc["hasCard"] = p.cardPosition != 0;
    doc["printer_name"] = std::string(p.printerName);
    doc["fast_mode"] = Json::Int(p.fastMode);
    Json::StreamWriterBuilder writer;
    writer["emitUTF8"] = true;
    writer["indentation"] = "";
    return Json::writeString(writer, doc);
}
}  // namespace ecp
