// The abstract card-transport mechanism model: one object per opened board.
// Operations a model does not implement answer 1.
#pragma once

#include <json/json.h>

#include <map>
#include <memory>
#include <string>

#include "core/Events.h"
#include "mechanism/DeviceInfo.h"

class kqDev {
  public:
    kqDev();
    kqDev(const kqDev&) = delete;
    kqDev& operator=(const kqDev&) = delete;
    virtual ~kqDev();

    virtual std::string errcode2value(int code);
    virtual int _PowerOff(int waitMs);
    virtual int open();
    virtual int close();
    virtual int analyzeFlash(void* port, int index);
    virtual int analyzeFlash(const char* name);
    // The dispatcher's state request: appends the parts that hold a card.
    virtual void toGetStateJson(Json::Value& parts);
    // The same with the sensor read's result: 0, or the failure code.
    virtual int readStateJson(Json::Value& parts);
    virtual int get_part_list(const char* argsJson, char* out);
    virtual int send_to_parts(const char* argsJson, char* out);
    virtual int toGetDevJsonOld(Json::Value& out);
    virtual int analyzeOptions(int fromPart, int targetPart, int acceptSide, int acceptSideOcr,
                               char* out);
    // out holds *outLen bytes on entry; on return *outLen is the count written.
    virtual int readConfigData(unsigned char* out, int* outLen);
    virtual int _AcceptCard(unsigned char mode, int timeoutMs);
    virtual int _EjectCard(unsigned char mode, int timeoutMs);
    virtual int _toReaderPos(unsigned char mode);
    virtual int _MotoRun(unsigned char mode, int timeoutMs);
    // out holds outLen bytes on entry; on return outLen is the count written.
    virtual int _ReadFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen);
    virtual int _WriteFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen);
    // out holds kSensorBytes bytes.
    virtual int _toGetSensors(unsigned char* out);
    virtual int _toGetSensorsRelative(unsigned char* out);
    virtual int _toSetPowerOff(int waitMs);
    virtual int _toPrinterReady(unsigned char side);
    virtual int _toOCRPosition(unsigned char mode);
    virtual int _toPrinterPos(unsigned char side);
    virtual int _toReaderBadPos(unsigned char mode);
    virtual int _toOCRBadPos(unsigned char mode);
    virtual int _toRollBackPrinter(unsigned char mode);
    virtual int _toQRCodeBadPos(unsigned char mode);
    virtual int _toQRCodeGoodPos(unsigned char mode);
    virtual int _toDetainPos(unsigned char mode);
    virtual int _toMotoRunStep(unsigned char a, unsigned char b);
    virtual int _MotoStop(int timeoutMs);
    virtual int _toTranfer(unsigned char side);
    // out holds *outLen bytes on entry; on return *outLen is the count written.
    virtual int _EncryptByHardware(unsigned char a, unsigned char b, unsigned char c,
                                   unsigned char* data, unsigned char len, unsigned char* out,
                                   unsigned char* outLen);

    // Copies the device-information document into info.
    virtual void toGetDevJson(Json::Value& info);

    void addEventLister(EventListener listener) { mListener = listener; }
    void removeEventLister() { mListener = nullptr; }

    DeviceInfo& info() { return *mInfo; }
    const std::map<int, std::string>& parts() const { return mParts; }
    const std::map<int, bool>& cardAt() const { return mCardAt; }

  protected:
    // The name of part id in the station table, empty when absent.
    std::string partName(int id) const;
    // Appends the state entry of a station where a card is seen.
    void appendPart(Json::Value& parts, int id) const;
    // The card is now at part, alone: records it and raises the state event.
    void recordCard(int part);
    // The card is also at part: adds it and raises the state event.
    void addCard(int part);

    EventListener mListener = nullptr;
    std::map<int, std::string> mParts;
    std::map<int, bool> mCardAt;
    Json::Value mDevJson;
    std::unique_ptr<DeviceInfo> mInfo;
};

// Sensor arrays are this long; a reply's bytes past it are not kept.
constexpr int kSensorBytes = 50;
