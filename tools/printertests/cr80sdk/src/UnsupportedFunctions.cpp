// Functions without meaning for a rewritable printer: no ribbon, film, coat layer,
// network link, chip card or watermark. They read no argument.
#include "KQCR80Printer.h"

extern "C" {

int libCR80UsbSetTimeout(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80EnumTcpPrt(char*, int*, int*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80TcpSetTimeout(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80PrtReset(const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80PrtRestart(const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80GetPrtManufInfo(const char*, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80QueryPrtStatus(const char*, int*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80QueryPrtStatusEx(const char*, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80TranslatePrtCode(const char*, int, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80GetSN(const char*, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80RibbonSettingsRW(const char*, int, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardSettingsRW(const char*, int, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80EthernetSetup(const char*, const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetCanvasPortrait(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetImgSharpness(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetCoatRgn(const char*, double, double, double, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetYmcRgn(const char*, double, double, double, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetKRgn(const char*, double, double, double, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetHalfRibbonOffset(const char*, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetCodeColor(const char*, int, int, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetBarCodePara(const char*, int, int, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetTextRotation(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetImagePara(const char*, int, int, float) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetWaterMarkParam(const char*, int, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetWaterMarkHalftone(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80SetHalftoneMethod(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80DrawBarCode(const char*, const char*, double, double, double, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80DrawWaterMark(const char*, const char*, double, double, double, double) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardMove(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80GetCardType(const char*, int*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80M1CardGetSN(const char*, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80M1CardPwdAuth(const char*, int, int, const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80M1CardRead(const char*, int, char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80M1CardWrite(const char*, int, const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardRecycling(const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardInjectStop(const char*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardInjectPlus(const char*, int, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80CardEjectHoldingSettingsRW(const char*, int, int*) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80PreCardInject(const char*, int) {
    return KQCR80_NOT_SUPPORTED;
}
int libCR80PrePrintDraw(const char*, const void*, int) {
    return KQCR80_NOT_SUPPORTED;
}

}  // extern "C"
