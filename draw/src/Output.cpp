// The finished card picture: a BMP in memory or a picture file.
#include <Magick++.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "Bilevel.h"
#include "DrawContext.h"
#include "ExceptionBoundary.h"
#include "Pixels.h"
#include "PreviewName.h"
#include "cardpaint.h"

namespace {

constexpr size_t kPathCapacity = 256;
constexpr double kDotsPerInch = 300.0;

void cutTo(Magick::Image& picture, const CommitRect& rect) {
    const size_t width = cardpaint::wholeSize(rect.width);
    const size_t height = cardpaint::wholeSize(rect.height);
    const long x = cardpaint::wholeOffset(rect.x);
    const long y = cardpaint::wholeOffset(rect.y);
    if (x == 0 && y == 0 && width == picture.columns() && height == picture.rows()) {
        return;  // the whole picture: nothing to copy
    }
    picture.crop(Magick::Geometry(width, height, x, y));
    picture.repage();
}

void rotateBy(Magick::Image& picture, int degrees) {
    if (degrees % 360 != 0) {
        picture.rotate(degrees);
    }
}

// A monochrome canvas's pixels after mirroring, cutting and rotating: the geometric steps
// run on the full-tone picture so that the dither is the last step and stays exact for
// every angle.
cardpaint::Bilevel bilevelOf(Magick::Image picture, const DrawContext& canvas, bool cutFirst) {
    if (cutFirst) {
        cutTo(picture, canvas.commitRect);
    }
    if (canvas.flip) {
        picture.flip();
    }
    if (!cutFirst) {
        cutTo(picture, canvas.commitRect);
    }
    rotateBy(picture, canvas.rotation);
    cardpaint::Bilevel bits = cardpaint::Bilevel::dither(picture);
    if (canvas.negate) {
        bits.negate();
    }
    return bits;
}

void toGreyUnlessColour(Magick::Image& picture, const DrawContext& canvas) {
    if (canvas.colorOutput == 0) {
        picture.quality(100);
        picture.type(Magick::GrayscaleType);
    }
}

// The format the file name's extension names when the imaging library can write it;
// otherwise the BMP format.
std::string formatOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    const size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot + 1 == name.size()) {
        return "BMP";
    }
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    try {
        if (Magick::CoderInfo(extension).isWritable()) {
            return extension;
        }
    } catch (const Magick::Exception&) {
    }
    return "BMP";
}

bool writeFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

int writePreview(DrawContext& canvas, const std::string& name) {
    Magick::Image picture = *canvas.image;
    if (canvas.monochrome) {
        const bool pbm =
            name.find(".PBM") != std::string::npos || name.find(".pbm") != std::string::npos;
        const cardpaint::Bilevel bits = bilevelOf(picture, canvas, false);
        const std::string format = pbm ? "PBM" : formatOf(name);
        if (format == "PBM" || format == "BMP") {
            return writeFile(name, format == "PBM" ? bits.pbm() : bits.bmp(kDotsPerInch))
                       ? CARDPAINT_OK
                       : CARDPAINT_IMAGE_ERROR;
        }
        Magick::Image flat = bits.picture();
        flat.density(Magick::Geometry(300, 300));
        flat.type(Magick::BilevelType);
        flat.write(format + ":" + name);
        return CARDPAINT_OK;
    }
    // The canvas is opaque; an alpha channel left by compositing would only widen the
    // output to 32 bits per pixel.
    picture.matte(false);
    toGreyUnlessColour(picture, canvas);
    cutTo(picture, canvas.commitRect);
    rotateBy(picture, canvas.rotation);
    picture.write(formatOf(name) + ":" + name);
    return CARDPAINT_OK;
}

}  // namespace

extern "C" {

int DrawSetCommitCanvasRect(DrawContext* canvas, double x, double y, double width, double height) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->commitRect = {x, y, width, height};
    return CARDPAINT_OK;
}

int DrawSetPreviewImg(DrawContext* canvas, int param, int degrees, int flip, int negate,
                      float scale) {
    if (canvas == nullptr) {
        return CARDPAINT_NO_CANVAS;
    }
    canvas->imageParam = param;
    canvas->rotation = degrees;
    canvas->flip = static_cast<unsigned char>(flip);
    canvas->negate = static_cast<unsigned char>(negate);
    canvas->imageScale = scale;
    return CARDPAINT_OK;
}

int DrawCommitCanvas(DrawContext* canvas, void* out, int* length) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    if (length == nullptr) {
        return CARDPAINT_FAILED;
    }
    return cardpaint::guarded(__func__, [&] {
        Magick::Image picture = *canvas->image;
        std::vector<unsigned char> bytes;
        if (canvas->monochrome) {
            bytes = bilevelOf(picture, *canvas, true).bmp(kDotsPerInch);
        } else {
            picture.matte(false);
            cutTo(picture, canvas->commitRect);
            toGreyUnlessColour(picture, *canvas);
            rotateBy(picture, canvas->rotation);
            Magick::Blob blob;
            picture.write(&blob, "BMP");
            const auto* data = static_cast<const unsigned char*>(blob.data());
            bytes.assign(data, data + blob.length());
        }
        const int needed = static_cast<int>(bytes.size());
        if (out == nullptr || *length < needed) {
            *length = needed;
            return CARDPAINT_NO_ROOM;
        }
        std::memcpy(out, bytes.data(), bytes.size());
        *length = needed;
        return CARDPAINT_OK;
    });
}

int DrawGetPreviewImg(DrawContext* canvas, int, int, char* path) {
    if (canvas == nullptr || !canvas->image) {
        return CARDPAINT_NO_CANVAS;
    }
    if (path == nullptr) {
        return CARDPAINT_FAILED;
    }
    return cardpaint::guarded(__func__, [&] {
        const size_t given = strnlen(path, kPathCapacity - 1);
        const std::string name = given > 0 ? std::string(path, given)
                                           : cardpaint::previewFileName(canvas, std::time(nullptr));
        const int result = writePreview(*canvas, name);
        if (result == CARDPAINT_OK) {
            // The name read from path is never longer than it was, and a generated name
            // takes at most 36 bytes.
            std::memcpy(path, name.c_str(), name.size() + 1);
        }
        return result;
    });
}

}  // extern "C"
