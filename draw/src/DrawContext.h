// The canvas record behind a cardpaint handle.
#ifndef CARDPAINT_DRAWCONTEXT_H
#define CARDPAINT_DRAWCONTEXT_H

#include <Magick++.h>

#include <memory>

struct CommitRect {
    double x;
    double y;
    double width;
    double height;
};

struct DrawContext {
    std::unique_ptr<Magick::Image> image;
    int barcodeType = 3;
    unsigned char negate = 0;
    unsigned char flip = 0;
    int barcodeParam = 0;
    int rotation = 0;
    int qrParam = 1;
    char fontName[255] = {};
    float fontSize = 12.0f;
    int textColor[3] = {255, 255, 255};
    int bold = 0;
    int fontWeight = 0;
    int italic = 0;
    int underline = 0;
    int decorate[4] = {};
    double lineSpacing = 0.0;
    double kerning = 0.0;
    int imageParam = 0;
    float imageScale = 1.0f;
    int monochrome = 0;
    int colorOutput = 0;
    CommitRect commitRect = {};
};

#endif
