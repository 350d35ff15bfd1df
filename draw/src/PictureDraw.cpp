// Pictures and QR codes composited onto the canvas.
#include <Magick++.h>
#include <qrencode.h>

#include <cstdio>
#include <memory>

#include "DrawContext.h"
#include "ExceptionBoundary.h"
#include "Pixels.h"
#include "QrBitmap.h"
#include "cardpaint.h"

namespace {

struct FreeQrCode {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

// Fits picture within w x h (keeping its aspect ratio) and places its top left corner
// at (x, y).
void placePicture(DrawContext& canvas, Magick::Image& picture, double x, double y, double w,
                  double h) {
    picture.resize(Magick::Geometry(cardpaint::wholeSize(w), cardpaint::wholeSize(h)));
    canvas.image->composite(picture, cardpaint::wholeOffset(x), cardpaint::wholeOffset(y),
                            Magick::AtopCompositeOp);
}

}  // namespace

extern "C" {

int DrawDrawImage(DrawContext* canvas, const char* path, double x, double y, double w, double h) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    if (path == nullptr) {
        return CARDPAINT_IMAGE_ERROR;
    }
    return cardpaint::guarded(__func__, [&] {
        Magick::Image picture;
        picture.read(path);
        placePicture(*canvas, picture, x, y, w, h);
        return CARDPAINT_OK;
    });
}

int DrawDrawImageBlob(DrawContext* canvas, const void* data, int length, double x, double y,
                      double w, double h) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    if (data == nullptr || length <= 0) {
        return CARDPAINT_IMAGE_ERROR;
    }
    return cardpaint::guarded(__func__, [&] {
        Magick::Image picture;
        picture.read(Magick::Blob(data, static_cast<size_t>(length)));
        placePicture(*canvas, picture, x, y, w, h);
        return CARDPAINT_OK;
    });
}

int DrawDrawQRCode(DrawContext* canvas, const char* text, double x, double y, double w, double h) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    std::puts("qrencode test");
    std::unique_ptr<QRcode, FreeQrCode> code(
        text == nullptr ? nullptr : QRcode_encodeString(text, 3, QR_ECLEVEL_M, QR_MODE_8, 1));
    if (!code) {
        std::puts("NULL returned");
        return CARDPAINT_FAILED;
    }
    size_t size = 0;
    cardpaint::BitmapBytes bmp = cardpaint::renderQrBitmap(code->data, code->width, size);
    if (!bmp) {
        // The host process keeps running; the caller sees the same code as a failed encoding.
        std::puts("Out of memory");
        return CARDPAINT_FAILED;
    }
    return cardpaint::guarded(__func__, [&] {
        Magick::Image picture;
        picture.read(Magick::Blob(bmp.get(), size));
        placePicture(*canvas, picture, x, y, w, h);
        return CARDPAINT_OK;
    });
}

}  // extern "C"
