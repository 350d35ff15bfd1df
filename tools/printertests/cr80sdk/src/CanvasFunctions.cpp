// Canvas functions, on top of the card drawing library. Each printer has one canvas.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "FontChoice.h"
#include "KQCR80Printer.h"
#include "Sessions.h"
#include "TextOut.h"

using namespace kqcr80;

namespace {

// Runs `draw` on the canvas of printer sn; drawing-library failures become one code.
template <class Draw>
int onCanvas(const char* sn, Draw draw) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (!s.canvas) return KQCR80_NO_CANVAS;
        const int rc = draw(s);
        return rc == CARDPAINT_OK ? KQCR80_OK : KQCR80_DRAW_FAILED;
    });
}

}  // namespace

extern "C" {

int libCR80PrepareCanvas(const char* sn, int colorOutput, int monochrome) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        s.canvas.reset();
        DrawContext* canvas = nullptr;
        if (DrawPrepareCanvas(&canvas, colorOutput, monochrome, KQCR80_CANVAS_WIDTH,
                              KQCR80_CANVAS_HEIGHT) != CARDPAINT_OK ||
            !canvas)
            return KQCR80_DRAW_FAILED;
        s.canvas.reset(canvas);
        s.erase.reset();
        s.rotation = 0;
        s.committed.clear();
        return KQCR80_OK;
    });
}

int libCR80ClearCanvas(const char* sn) {
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (!s.canvas) return KQCR80_NO_CANVAS;
        s.canvas.reset();
        return KQCR80_OK;
    });
}

int libCR80SetFont(const char* sn, const char* font, float size) {
    if (!font || std::memchr(font, 0, 4096) == nullptr || !(size > 0)) return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn, [&](Session& s) {
        const std::string file = chooseFont(font);
        return DrawDrawSetFont(s.canvas.get(), file.c_str(), size);
    });
}

int libCR80SetTextColor(const char* sn, int r, int g, int b) {
    return onCanvas(sn, [&](Session& s) { return DrawSetTextColor(s.canvas.get(), r, g, b); });
}

int libCR80SetTextIsStrong(const char* sn, int bold) {
    return onCanvas(sn, [&](Session& s) { return DrawSetTextIsStrong(s.canvas.get(), bold); });
}

int libCR80SetTextFontWeight(const char* sn, int weight) {
    return onCanvas(sn, [&](Session& s) { return DrawSetTextFontWeight(s.canvas.get(), weight); });
}

int libCR80SetTextIsItalic(const char* sn, int italic) {
    return onCanvas(sn, [&](Session& s) { return DrawSetTextIsItalic(s.canvas.get(), italic); });
}

int libCR80SetTextIsUnderline(const char* sn, int underline) {
    return onCanvas(sn,
                    [&](Session& s) { return DrawSetTextIsUnderline(s.canvas.get(), underline); });
}

int libCR80SetTextDecorate(const char* sn, int a, int b, int c, int d) {
    return onCanvas(sn,
                    [&](Session& s) { return DrawSetTextDecorate(s.canvas.get(), a, b, c, d); });
}

int libCR80SetTextSpacing(const char* sn, double lineSpacing, double kerning) {
    return onCanvas(
        sn, [&](Session& s) { return DrawSetTextSpacing(s.canvas.get(), lineSpacing, kerning); });
}

int libCR80SetQRCodePara(const char* sn, int param) {
    return onCanvas(sn, [&](Session& s) { return DrawSetQRCodePara(s.canvas.get(), param); });
}

int libCR80DrawText(const char* sn, const char* text, int, double x, double y, double, double) {
    if (!text) return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn, [&](Session& s) { return DrawDrawText(s.canvas.get(), text, x, y); });
}

int libCR80DrawQRCode(const char* sn, const char* text, double x, double y, double w, double h) {
    if (!text || !(w > 0) || !(h > 0)) return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn,
                    [&](Session& s) { return DrawDrawQRCode(s.canvas.get(), text, x, y, w, h); });
}

int libCR80DrawImage(const char* sn, const char* path, double x, double y, double w, double h) {
    if (!path || !(w > 0) || !(h > 0)) return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn,
                    [&](Session& s) { return DrawDrawImage(s.canvas.get(), path, x, y, w, h); });
}

int libCR80SetPreviewImg(const char* sn, int param, int degrees, int flip, int negate,
                         float scale) {
    if (degrees != 0 && degrees != 180) return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn, [&](Session& s) {
        s.rotation = degrees;
        return DrawSetPreviewImg(s.canvas.get(), param, degrees, flip, negate, scale);
    });
}

int libCR80SetEraseRect(const char* sn, double x, double y, double w, double h) {
    if (!(x >= 0) || !(y >= 0) || !(w > 0) || !(h > 0) || x + w > KQCR80_CANVAS_WIDTH ||
        y + h > KQCR80_CANVAS_HEIGHT)
        return KQCR80_BAD_ARGUMENT;
    return onCanvas(sn, [&](Session& s) {
        s.erase = PixelRect{x, y, w, h};
        return CARDPAINT_OK;
    });
}

int libCR80CommitCanvas(const char* sn, void* data, int* size) {
    if (!size) return KQCR80_BAD_ARGUMENT;
    if (!validSn(sn)) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (!s.canvas) return KQCR80_NO_CANVAS;
        int needed = 0;
        if (DrawCommitCanvas(s.canvas.get(), nullptr, &needed) != CARDPAINT_NO_ROOM || needed <= 0)
            return KQCR80_DRAW_FAILED;
        if (!data) {
            *size = needed;
            return KQCR80_OK;
        }
        if (*size < needed) {
            *size = needed;
            return KQCR80_BAD_LENGTH;
        }
        int length = *size;
        if (DrawCommitCanvas(s.canvas.get(), data, &length) != CARDPAINT_OK)
            return KQCR80_DRAW_FAILED;
        const auto* bytes = static_cast<const uint8_t*>(data);
        s.committed.assign(bytes, bytes + length);
        *size = length;
        return KQCR80_OK;
    });
}

int libCR80GetPreviewImg(const char* sn, const void* data, char* path, int* length) {
    if (!validSn(sn) || !data || !path || !length) return KQCR80_BAD_ARGUMENT;
    return guarded([&] {
        Session& s = session(sn);
        if (s.committed.empty()) return KQCR80_NO_CANVAS;
        std::string name(path, strnlen(path, KQCR80_PATH_CAPACITY - 1));
        if (name.empty()) {
            name = "KQCR80_preview_";
            for (const char* c = sn; *c && name.size() < 64; ++c)
                name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
            name += ".bmp";
        }
        std::FILE* f = std::fopen(name.c_str(), "wb");
        if (!f) return KQCR80_DRAW_FAILED;
        const bool written =
            std::fwrite(s.committed.data(), 1, s.committed.size(), f) == s.committed.size();
        if (std::fclose(f) != 0 || !written) return KQCR80_DRAW_FAILED;
        std::memcpy(path, name.c_str(), name.size() + 1);
        *length = static_cast<int>(name.size());
        return KQCR80_OK;
    });
}

}  // extern "C"
