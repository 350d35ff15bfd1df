// The rewritable card printer's command set (class kqCR80Printer) and its table of
// printer records, keyed by identity.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "kqCR80_Pram.h"
#include "kq_ecp_001.h"

class kqCR80Printer : public kq_ecp_001 {
  public:
    using kq_ecp_001::SelfChecking;
    using Records = std::map<std::string, std::unique_ptr<kqCR80_Pram>>;

    kqCR80Printer() = default;
    ~kqCR80Printer() override;

    int OpenWithPid(unsigned short vid, unsigned short pid) override;
    // Detaches every record from its port before the ports are released.
    int Close() override;

    int SelfChecking(kqCR80_Pram* printer, unsigned char mode, unsigned char* o1, unsigned char* o2,
                     unsigned char* o3, unsigned short* o4, unsigned int* o5, unsigned int* o6,
                     unsigned int* o7, unsigned int* o8, unsigned char* s1 = nullptr,
                     unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int GetSensorStatus(kqCR80_Pram* printer, unsigned char* status, unsigned char* s1 = nullptr,
                        unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int GetPrintPara(kqCR80_Pram* printer, unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                     unsigned short* s3 = nullptr);
    int SetPrintPara(kqCR80_Pram* printer, unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                     unsigned short* s3 = nullptr);
    int SetPrintHeadSrn(kqCR80_Pram* printer, char* serial, unsigned char* s1 = nullptr,
                        unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int EraseWholeCard(kqCR80_Pram* printer, unsigned char* s1 = nullptr,
                       unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int EraseCard(kqCR80_Pram* printer, unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                  unsigned short* s3 = nullptr);
    int EraseBeforePrint(kqCR80_Pram* printer, unsigned char mode, unsigned char* s1 = nullptr,
                         unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int InCard(kqCR80_Pram* printer, unsigned char mode, unsigned char* s1 = nullptr,
               unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int OutCard(kqCR80_Pram* printer, unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                unsigned short* s3 = nullptr);
    int OutCardNotWait(kqCR80_Pram* printer, unsigned char* s1 = nullptr,
                       unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int Clean(kqCR80_Pram* printer, unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
              unsigned short* s3 = nullptr);
    int ResetPrintStatistics(kqCR80_Pram* printer, char* accessText, unsigned char* s1 = nullptr,
                             unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int CtrlStepperMotor(kqCR80_Pram* printer, unsigned char motor, unsigned char action,
                         unsigned short p1, unsigned short p2, unsigned char p3, unsigned char p4,
                         unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                         unsigned short* s3 = nullptr);
    int CtrlDCMotor(kqCR80_Pram* printer, unsigned char motor, unsigned char action,
                    unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                    unsigned short* s3 = nullptr);
    int LedTest(kqCR80_Pram* printer, unsigned char on, unsigned char* s1 = nullptr,
                unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);
    int ImageTransmission(kqCR80_Pram* printer, char* image, unsigned char mode = 0,
                          unsigned char* s1 = nullptr, unsigned char* s2 = nullptr,
                          unsigned short* s3 = nullptr);
    int CleanByRoller(kqCR80_Pram* printer, unsigned char* s1 = nullptr,
                      unsigned char* s2 = nullptr, unsigned short* s3 = nullptr);

    static int SetEraseRectPixel(kqCR80_Pram* printer, unsigned short x, unsigned short y,
                                 unsigned short w, unsigned short h);
    static int SetEraseRect(kqCR80_Pram* printer, double x, double y, double w, double h);
    static int EraseRectRotation(kqCR80_Pram* printer, int rotation);

    const Records& printers() const { return mPrinters; }
    kqCR80_Pram* findPrinter(const std::string& id) const;
    // True when `printer` is one of this object's records (compared by address only).
    bool owns(const kqCR80_Pram* printer) const;
    // Gives a record whose port was closed a newly opened port; 0, or 232 when the
    // printer cannot be opened again.
    int ensurePort(kqCR80_Pram* printer);
    // Pause between the moves of the roller cleaning (2.2 s); tests shorten it.
    void setRollerPauseMs(int ms) { mRollerPauseMs = ms; }

  protected:
    // Creates the records of the opened ports and asks each printer's identity.
    void buildRecords();
    virtual std::unique_ptr<UsbPort> makePort();

  private:
    int command(kqCR80_Pram* printer, short cmd, const unsigned char* data, int len,
                unsigned char* reply = nullptr, int replyLen = 10);

    Records mPrinters;
    int mRollerPauseMs = 2200;
};
