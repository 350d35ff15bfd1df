// The standard mechanism driver: command exchange with reconnect, feeding
// with sensor polling, motor, flash, sensors, power-off, the state document
// and station routing. The board variants derive from it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "core/Registry.h"
#include "mechanism/BoardLink.h"
#include "mechanism/Identification.h"
#include "mechanism/kqDev.h"

// The data of one command's reply.
struct CommandReply {
    char data[kReplyCapacity];
    int len = 0;
};

class kqDevMid00 : public kqDev {
  public:
    kqDevMid00();

    std::string errcode2value(int code) override;
    int _PowerOff(int waitMs) override;
    int _toSetPowerOff(int waitMs) override;
    int open() override;
    int close() override;
    int analyzeFlash(void* port, int index) override;
    int analyzeFlash(const char* name) override;
    int toGetDevJsonOld(Json::Value& out) override;
    int readConfigData(unsigned char* out, int* outLen) override;
    int readStateJson(Json::Value& parts) override;

    int _AcceptCard(unsigned char mode, int timeoutMs) override;
    int _EjectCard(unsigned char mode, int timeoutMs) override;
    int _MotoRun(unsigned char mode, int timeoutMs) override;
    int _ReadFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) override;
    int _WriteFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) override;
    int _toGetSensors(unsigned char* out) override;
    int _toGetSensorsRelative(unsigned char* out) override;
    int _toMotoRunStep(unsigned char a, unsigned char b) override;
    int _MotoStop(int timeoutMs) override;
    int _EncryptByHardware(unsigned char a, unsigned char b, unsigned char c, unsigned char* data,
                           unsigned char len, unsigned char* out, unsigned char* outLen) override;

    int send_to_parts(const char* argsJson, char* out) override;
    int analyzeOptions(int fromPart, int targetPart, int acceptSide, int acceptSideOcr,
                       char* out) override;
    int _toOCRPosition(unsigned char mode) override;
    int _toReaderPos(unsigned char mode) override;
    int _toRollBackPrinter(unsigned char mode) override;
    int _toPrinterReady(unsigned char side) override;
    int _toPrinterPos(unsigned char side) override;
    int _toReaderBadPos(unsigned char mode) override;
    int _toOCRBadPos(unsigned char mode) override;
    int _toQRCodeBadPos(unsigned char mode) override;
    int _toQRCodeGoodPos(unsigned char mode) override;
    int _toDetainPos(unsigned char mode) override;
    int _toTranfer(unsigned char side) override;
    // The by-OCR forms of the printer moves; the transfer-module models
    // position their module from the OCR value.
    virtual int _toPrinterReadyByOCR(unsigned char ocr);
    virtual int _toPrinterPosByOCR(unsigned char ocr);
    int _toTranferByOCR(unsigned char ocr);

    // One exchange on port that reopens the board and repeats the command once
    // when the board did not answer or could not be written to. replyData
    // holds kReplyCapacity bytes.
    int _send_command_wait_ack(void* port, short& packageNum, short cmdCode, signed char state,
                               char* data, int len, short* replyPackageNum, char* replyData,
                               int* replyLen, int timeoutMs);

    // Makes this model use the port of a connection's board group.
    void shareLink(BoardLink* link) { mLink = link; }
    Device* port() const { return mLink->port(); }
    short packageNum() const { return mPackageNum; }
    bool transferReady() const { return mTransferReady; }

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName();

  protected:
    // One command to this board with its package number.
    int command(short code, const unsigned char* param, int paramLen, int timeoutMs,
                CommandReply* reply = nullptr);
    int command(short code, std::initializer_list<unsigned char> param, int timeoutMs,
                CommandReply* reply = nullptr);
    void sleepMs(int ms);

    short mPackageNum = -1;
    bool mTransferReady = false;

  private:
    BoardLink mOwnLink;
    BoardLink* mLink = &mOwnLink;
};

// Lists the attached boards of the known USB id pairs into out.
int listMechanismBoards(char* out);

// Feeding that never sees the expected sensor state.
constexpr int kFeedTimeout = kqcode::kWaitTimeout;
constexpr int kFeedPolls = 300;
constexpr int kFeedPollMs = 50;
constexpr int kFeedTimeoutMs = 15000;
