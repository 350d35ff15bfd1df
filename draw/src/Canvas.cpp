// Canvas life cycle, settings and the calls accepted without effect.
#include <Magick++.h>

#include <cstring>
#include <memory>
#include <new>

#include "DrawContext.h"
#include "ExceptionBoundary.h"
#include "ImagingSetup.h"
#include "Pixels.h"
#include "cardpaint.h"

namespace cardpaint {

void initImaging() {
    static const bool initialised = [] {
        Magick::InitializeMagick(nullptr);
        return true;
    }();
    (void)initialised;
}

}  // namespace cardpaint

using cardpaint::guarded;

namespace {

bool hasImage(const DrawContext* canvas) {
    return canvas != nullptr && canvas->image;
}

}  // namespace

extern "C" {

int DrawPrepareCanvas(DrawContext** canvas, int colorOutput, int monochrome, double width,
                      double height) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    return guarded(__func__, [&] {
        cardpaint::initImaging();
        const size_t columns = cardpaint::wholeSize(width);
        const size_t rows = cardpaint::wholeSize(height);
        if (columns == 0 || rows == 0) {
            return CARDPAINT_IMAGE_ERROR;
        }
        auto context = std::make_unique<DrawContext>();
        context->image = std::make_unique<Magick::Image>(Magick::Geometry(columns, rows),
                                                         Magick::Color("white"));
        context->image->backgroundColor(Magick::Color("white"));
        context->image->density(Magick::Geometry(300, 300));
        if (monochrome) {
            context->image->monochrome(true);
        }
        context->monochrome = monochrome;
        context->colorOutput = colorOutput;
        context->commitRect = {0, 0, static_cast<double>(columns), static_cast<double>(rows)};
        *canvas = context.release();
        return CARDPAINT_OK;
    });
}

int DrawSetCanvasPortrait(DrawContext* canvas, int portrait) {
    if (!hasImage(canvas)) {
        return CARDPAINT_NO_CANVAS;
    }
    if (portrait != 0 && portrait != 1) {
        return CARDPAINT_FAILED;
    }
    return guarded(__func__, [&] {
        Magick::Image& image = *canvas->image;
        const size_t columns = image.columns();
        const size_t rows = image.rows();
        if (portrait == 1 && columns > rows) {
            image.rotate(270);
        } else if (portrait == 0 && rows > columns) {
            image.rotate(90);
        }
        return CARDPAINT_OK;
    });
}

int DrawClearCanvas(DrawContext* canvas) {
    if (!hasImage(canvas)) {
        delete canvas;
        return CARDPAINT_NO_CANVAS;
    }
    std::unique_ptr<DrawContext> owned(canvas);
    return guarded(__func__, [&] {
        owned->image->erase();
        return CARDPAINT_OK;
    });
}

int DrawDrawSetFont(DrawContext* canvas, const char* fontName, float size) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    const size_t length = fontName == nullptr ? 0 : strnlen(fontName, sizeof canvas->fontName - 1);
    std::memcpy(canvas->fontName, fontName == nullptr ? "" : fontName, length);
    canvas->fontName[length] = '\0';
    canvas->fontSize = size;
    return CARDPAINT_OK;
}

int DrawSetTextColor(DrawContext* canvas, int r, int g, int b) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->textColor[0] = r;
    canvas->textColor[1] = g;
    canvas->textColor[2] = b;
    return CARDPAINT_OK;
}

int DrawSetTextDecorate(DrawContext* canvas, int a, int b, int c, int d) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->decorate[0] = a;
    canvas->decorate[1] = b;
    canvas->decorate[2] = c;
    canvas->decorate[3] = d;
    return CARDPAINT_OK;
}

int DrawSetTextIsStrong(DrawContext* canvas, int bold) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->bold = bold;
    canvas->fontWeight = 0;
    return CARDPAINT_OK;
}

int DrawSetTextFontWeight(DrawContext* canvas, int weight) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->fontWeight = weight;
    return CARDPAINT_OK;
}

int DrawSetTextIsItalic(DrawContext* canvas, int italic) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->italic = italic;
    return CARDPAINT_OK;
}

int DrawSetTextIsUnderline(DrawContext* canvas, int underline) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->underline = underline;
    return CARDPAINT_OK;
}

int DrawSetTextSpacing(DrawContext* canvas, double lineSpacing, double kerning) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->lineSpacing = lineSpacing;
    canvas->kerning = kerning;
    return CARDPAINT_OK;
}

int DrawSetTextRotation(DrawContext* canvas, int degrees) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->rotation = degrees;
    return CARDPAINT_OK;
}

int DrawSetImagePara(DrawContext* canvas, int param, int degrees, float scale) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->imageParam = param;
    canvas->rotation = degrees;
    canvas->imageScale = scale;
    return CARDPAINT_OK;
}

int DrawSetBarCodePara(DrawContext* canvas, int type, int param, int degrees) {
    if (!hasImage(canvas)) {
        return CARDPAINT_NO_ROOM;
    }
    canvas->barcodeType = type;
    canvas->barcodeParam = param;
    canvas->rotation = degrees;
    return CARDPAINT_OK;
}

int DrawSetQRCodePara(DrawContext* canvas, int param) {
    if (!hasImage(canvas)) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->qrParam = param;
    return CARDPAINT_OK;
}

int DrawGetTextPosition(float, float, double w, double h) {
    return guarded(__func__, [&] {
        cardpaint::initImaging();
        const size_t columns = cardpaint::wholeSize(w);
        const size_t rows = cardpaint::wholeSize(h);
        if (columns > 0 && rows > 0) {
            Magick::Image scratch(Magick::Geometry(columns, rows), Magick::Color("white"));
        }
        return CARDPAINT_OK;
    });
}

int DrawSetImgSharpness(DrawContext*, int) {
    return CARDPAINT_OK;
}
int DrawSetCodeColor(DrawContext*, int, int, int) {
    return CARDPAINT_OK;
}
int DrawSetWaterMarkParam(DrawContext*, int, int) {
    return CARDPAINT_OK;
}
int DrawSetWaterMarkHalftone(DrawContext*, int) {
    return CARDPAINT_OK;
}
int DrawSetHalftoneMethod(DrawContext*, int) {
    return CARDPAINT_OK;
}
int DrawDrawBarCode(DrawContext*, const char*, double, double, double, double) {
    return CARDPAINT_OK;
}
int DrawDrawWaterMark(DrawContext*, const char*, double, double, double, double) {
    return CARDPAINT_OK;
}
int DrawPrintDraw(DrawContext*, const void*, int, int, int) {
    return CARDPAINT_OK;
}

}  // extern "C"
