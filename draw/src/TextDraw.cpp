// Text drawing with the canvas's font settings.
#include <Magick++.h>

#include <iostream>
#include <list>

#include "DrawContext.h"
#include "ExceptionBoundary.h"
#include "cardpaint.h"

extern "C" int DrawDrawText(DrawContext* canvas, const char* text, double x, double y) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    if (text == nullptr) {
        text = "";
    }
    return cardpaint::guarded(__func__, [&] {
        std::cout << "DrawDrawText Font:" << canvas->fontName << std::endl;
        Magick::Image& image = *canvas->image;
        image.font(canvas->fontName);
        image.fontPointsize(canvas->fontSize);
        // The image keeps its font settings between calls: start from the defaults so that a
        // flag turned off is off. Later settings override earlier ones.
        image.fontStyle(MagickCore::UndefinedStyle);
        image.fontWeight(0);
        if (canvas->bold) {
            image.fontStyle(MagickCore::BoldStyle);
        }
        if (canvas->fontWeight != 0) {
            image.fontWeight(static_cast<size_t>(canvas->fontWeight));
        }
        if (canvas->italic) {
            image.fontStyle(MagickCore::ItalicStyle);
        }
        if (canvas->underline) {
            image.fontStyle(MagickCore::UndefinedStyle);
        }
        std::cout << "DrawDrawText sWchar:" << text << std::endl;
        std::list<Magick::Drawable> drawing;
        drawing.push_back(Magick::DrawableTextInterlineSpacing(canvas->lineSpacing));
        drawing.push_back(Magick::DrawableTextKerning(canvas->kerning));
        drawing.push_back(Magick::DrawableText(x, y, text, "UTF-8"));
        image.draw(drawing);
        return CARDPAINT_OK;
    });
}
