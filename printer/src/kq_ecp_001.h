// Printer link: owns the USB context and the open printer ports, and sends command
// packets with the retry and re-open rule.
#pragma once

#include <libusb.h>

#include <ctime>
#include <memory>
#include <vector>

#include "UsbPort.h"

class kq_ecp_001 {
  public:
    static constexpr int kMaxMatches = 50;

    kq_ecp_001();
    kq_ecp_001(const kq_ecp_001&) = delete;
    kq_ecp_001& operator=(const kq_ecp_001&) = delete;
    virtual ~kq_ecp_001();

    virtual int SendCommond(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                            int copyLen, int timeout, int retries);
    virtual int SendCommond60(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                              int copyLen, int timeout, int retries);
    virtual int SendCommond59(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                              int copyLen, int timeout, int retries);
    virtual int GetDllVer();
    virtual int SetLogLevel(unsigned char level);
    virtual int Open(unsigned char kind, int a, int b);
    virtual int OpenSpecified(int index, char* a, char* b);
    virtual int OpenWithPid(unsigned short vid, unsigned short pid);
    virtual int SetPrintPid(UsbPort* port, unsigned short vid, unsigned short pid,
                            unsigned char* s1, unsigned char* s2, unsigned short* s3);
    virtual int Close();
    virtual int GetFwVer(UsbPort* port, unsigned char* s1, unsigned char* s2, unsigned short* s3,
                         char* version);
    virtual int GetID(UsbPort* port, unsigned char* s1, unsigned char* s2, unsigned short* s3,
                      char* id, char* extra);
    virtual int Reset(UsbPort* port, unsigned char mode, unsigned char* s1, unsigned char* s2,
                      unsigned short* s3);
    virtual int IAP_GetBootloaderVer(UsbPort* port, unsigned char* s1, unsigned char* s2,
                                     unsigned short* s3, char* version);
    virtual int IAP_GetFlashProtectStatus(UsbPort* port, unsigned char* s1, unsigned char* s2,
                                          unsigned short* s3, bool* isProtected);
    virtual int IAP_SetFlashProtectStatus(UsbPort* port, bool protect, unsigned char* s1,
                                          unsigned char* s2, unsigned short* s3);
    virtual int IAP_GetBufferSize(UsbPort* port, unsigned char* s1, unsigned char* s2,
                                  unsigned short* s3, unsigned int* size);
    virtual int IAP_DownloadOnePackage(UsbPort* port, unsigned char kind, unsigned char sequence,
                                       unsigned char* package, unsigned int length,
                                       unsigned char* s1, unsigned char* s2, unsigned short* s3);
    virtual int IAP_EraseFlash(UsbPort* port, unsigned int first, unsigned int second,
                               unsigned char* s1, unsigned char* s2, unsigned short* s3);
    virtual int IAP_StartProgram(UsbPort* port, unsigned char* s1, unsigned char* s2,
                                 unsigned short* s3);
    virtual int SelfChecking(UsbPort* port, unsigned char mode, unsigned char* o1,
                             unsigned char* o2, unsigned char* o3, unsigned short* o4,
                             unsigned int* o5, unsigned int* o6, unsigned int* o7, unsigned int* o8,
                             unsigned char* s1, unsigned char* s2, unsigned short* s3);

    int lastReplyWord() const { return mLastReplyWord; }
    const std::vector<std::unique_ptr<UsbPort>>& ports() const { return mPorts; }
    int matchCount() const { return mMatchCount; }

  protected:
    // Takes over an opened port (the printer opening, and test transports).
    UsbPort* addPort(std::unique_ptr<UsbPort> port);
    // Closes and deletes one port of the list.
    void dropPort(UsbPort* port);
    // Sends one IAP sub-command (command 0x60) and checks the echo of the reply.
    int iapExchange(UsbPort* port, unsigned char* data, int dataLen, unsigned char* reply);

    int mLastReplyWord = 0;

  private:
    enum class Form { Standard, Image, Iap };
    int send(Form form, UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
             int copyLen, int timeout, int retries);

    std::clock_t mOpenClock = 0;
    libusb_context* mContext = nullptr;
    bool mContextOk = false;
    unsigned short mVid = 0;
    unsigned short mPid = 0;
    int mMatchCount = 0;
    int mMatchIndex[kMaxMatches];
    libusb_device** mDeviceList = nullptr;
    bool mListTaken = false;
    std::vector<std::unique_ptr<UsbPort>> mPorts;
};
