// Stand-in CR80 SDK for the tests: records the calls the demo makes as text lines
// and answers as configured. Built once with all 70 entry points and once without
// libCR80SetEraseRect. When $CR80STUB_OPENED names a file, loading the library
// appends the library's path to it, so a test sees which files were opened.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

// The header is not included: the entry points the demo never calls are defined
// here without parameters.

namespace {

std::string& calls() {
    static std::string text;
    return text;
}

std::map<std::string, int>& settings() {
    static std::map<std::string, int> values;
    return values;
}

int answer(const char* name) {
    const auto it = settings().find(name);
    return it == settings().end() ? 0 : it->second;
}

int record(const char* name, const std::string& args) {
    calls() += std::string(name) + (args.empty() ? "" : " " + args) + "\n";
    return answer(name);
}

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

__attribute__((constructor)) void noteOpened() {
    const char* log = std::getenv("CR80STUB_OPENED");
    Dl_info info{};
    if (!log || !dladdr(reinterpret_cast<void*>(&noteOpened), &info) || !info.dli_fname) return;
    if (std::FILE* f = std::fopen(log, "a")) {
        std::fprintf(f, "%s\n", info.dli_fname);
        std::fclose(f);
    }
}

}  // namespace

extern "C" {

// Test controls.
__attribute__((visibility("default"))) const char* cr80stub_calls() {
    return calls().c_str();
}
__attribute__((visibility("default"))) void cr80stub_reset() {
    calls().clear();
    settings().clear();
}
// The result a function returns ("PrepareCanvas", ...), or "CommitSize".
__attribute__((visibility("default"))) void cr80stub_set(const char* key, int value) {
    settings()[key] = value;
}

int libCR80LibInit(void) {
    return record("LibInit", "");
}
// Lists "A1\nB2", or the serial numbers in $CR80STUB_PRINTERS ("\n"-separated).
int libCR80EnumUsbPrt(char* list, int* length, int* count) {
    const char* printers = std::getenv("CR80STUB_PRINTERS");
    *length = std::snprintf(list, 5120, "%s", printers ? printers : "A1\nB2");
    *count = 1;
    for (const char* c = list; *c; ++c) *count += *c == '\n';
    return record("EnumUsbPrt", "");
}
int libCR80IsFeederNoEmpty(const char* sn, int* hasCard) {
    *hasCard = 1;
    return record("IsFeederNoEmpty", sn);
}
int libCR80GetRbnAndFilmRemaining(const char* sn, char* text) {
    std::snprintf(text, 5024, "stub");
    return record("GetRbnAndFilmRemaining", sn);
}
int libCR80CardInject(const char* sn, int mode) {
    return record("CardInject", std::string(sn) + " " + num(mode));
}
int libCR80CardEject(const char* sn, int position) {
    return record("CardEject", std::string(sn) + " " + num(position));
}
int libCR80PrepareCanvas(const char* sn, int colorOutput, int monochrome) {
    return record("PrepareCanvas",
                  std::string(sn) + " " + num(colorOutput) + " " + num(monochrome));
}
int libCR80SetPreviewImg(const char* sn, int param, int degrees, int flip, int negate,
                         float scale) {
    return record("SetPreviewImg", std::string(sn) + " " + num(param) + " " + num(degrees) + " " +
                                       num(flip) + " " + num(negate) + " " + num(scale));
}
#ifndef CR80STUB_WITHOUT_ERASE_RECT
int libCR80SetEraseRect(const char* sn, double x, double y, double w, double h) {
    return record("SetEraseRect",
                  std::string(sn) + " " + num(x) + " " + num(y) + " " + num(w) + " " + num(h));
}
#endif
int libCR80SetFont(const char* sn, const char* font, float size) {
    return record("SetFont", std::string(sn) + " " + font + " " + num(size));
}
int libCR80DrawText(const char* sn, const char* text, int flags, double x, double y, double w,
                    double h) {
    return record("DrawText", std::string(sn) + " [" + text + "] " + num(flags) + " " + num(x) +
                                  " " + num(y) + " " + num(w) + " " + num(h));
}
int libCR80CommitCanvas(const char* sn, void* data, int* size) {
    if (!data) {
        *size = answer("CommitSize");
        return record("CommitCanvas", std::string(sn) + " null");
    }
    static_cast<char*>(data)[0] = 'B';
    return record("CommitCanvas", std::string(sn) + " buffer " + num(*size));
}
int libCR80GetPreviewImg(const char* sn, const void*, char* path, int* length) {
    std::snprintf(path, 1024, "preview.bmp");
    *length = 11;
    return record("GetPreviewImg", sn);
}
int libCR80PrintDraw(const char* sn, const void* data, int size, int a, int b) {
    return record("PrintDraw", std::string(sn) + " " + static_cast<const char*>(data)[0] + " " +
                                   num(size) + " " + num(a) + " " + num(b));
}
int libCR80ClearCanvas(const char* sn) {
    return record("ClearCanvas", sn);
}

// The entry points the demo never calls.
#define CR80STUB_UNUSED(name)     \
    int name() {                  \
        return record(#name, ""); \
    }
CR80STUB_UNUSED(libCR80LibClear)
CR80STUB_UNUSED(libCR80UsbSetTimeout)
CR80STUB_UNUSED(libCR80EnumTcpPrt)
CR80STUB_UNUSED(libCR80TcpSetTimeout)
CR80STUB_UNUSED(libCR80SelectPrt)
CR80STUB_UNUSED(libCR80PrtReset)
CR80STUB_UNUSED(libCR80PrtRestart)
CR80STUB_UNUSED(libCR80GetPrtManufInfo)
CR80STUB_UNUSED(libCR80GetPrtInfo)
CR80STUB_UNUSED(libCR80QueryPrtStatus)
CR80STUB_UNUSED(libCR80QueryPrtStatusEx)
CR80STUB_UNUSED(libCR80TranslateSDKErrCode)
CR80STUB_UNUSED(libCR80TranslatePrtCode)
CR80STUB_UNUSED(libCR80GetSN)
CR80STUB_UNUSED(libCR80RibbonSettingsRW)
CR80STUB_UNUSED(libCR80CardSettingsRW)
CR80STUB_UNUSED(libCR80EthernetSetup)
CR80STUB_UNUSED(libCR80SetCanvasPortrait)
CR80STUB_UNUSED(libCR80SetImgSharpness)
CR80STUB_UNUSED(libCR80SetCoatRgn)
CR80STUB_UNUSED(libCR80SetYmcRgn)
CR80STUB_UNUSED(libCR80SetKRgn)
CR80STUB_UNUSED(libCR80SetHalfRibbonOffset)
CR80STUB_UNUSED(libCR80SetCodeColor)
CR80STUB_UNUSED(libCR80SetBarCodePara)
CR80STUB_UNUSED(libCR80SetQRCodePara)
CR80STUB_UNUSED(libCR80SetTextColor)
CR80STUB_UNUSED(libCR80SetTextIsStrong)
CR80STUB_UNUSED(libCR80SetTextFontWeight)
CR80STUB_UNUSED(libCR80SetTextIsItalic)
CR80STUB_UNUSED(libCR80SetTextIsUnderline)
CR80STUB_UNUSED(libCR80SetTextDecorate)
CR80STUB_UNUSED(libCR80SetTextSpacing)
CR80STUB_UNUSED(libCR80SetTextRotation)
CR80STUB_UNUSED(libCR80SetImagePara)
CR80STUB_UNUSED(libCR80SetWaterMarkParam)
CR80STUB_UNUSED(libCR80SetWaterMarkHalftone)
CR80STUB_UNUSED(libCR80SetHalftoneMethod)
CR80STUB_UNUSED(libCR80DrawBarCode)
CR80STUB_UNUSED(libCR80DrawQRCode)
CR80STUB_UNUSED(libCR80DrawImage)
CR80STUB_UNUSED(libCR80DrawWaterMark)
CR80STUB_UNUSED(libCR80CardMove)
CR80STUB_UNUSED(libCR80GetCardPos)
CR80STUB_UNUSED(libCR80GetCardType)
CR80STUB_UNUSED(libCR80M1CardGetSN)
CR80STUB_UNUSED(libCR80M1CardPwdAuth)
CR80STUB_UNUSED(libCR80M1CardRead)
CR80STUB_UNUSED(libCR80M1CardWrite)
CR80STUB_UNUSED(libCR80CardRecycling)
CR80STUB_UNUSED(libCR80CardInjectStop)
CR80STUB_UNUSED(libCR80CardInjectPlus)
CR80STUB_UNUSED(libCR80CardEjectHoldingSettingsRW)
CR80STUB_UNUSED(libCR80PreCardInject)
CR80STUB_UNUSED(libCR80PrePrintDraw)

}  // extern "C"
