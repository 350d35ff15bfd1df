// A picture in memory: raw pixels in rows of a 32-bit aligned stride, or a
// JPEG byte stream whose byte count is kept in the width.
#pragma once

#include <cstdint>
#include <memory>

#include "XError.h"

enum class XPixelFormat : int { Unknown = 0, Grayscale8 = 1, RGB24 = 2, RGBA32 = 3, JPEG = 4 };

class XImage {
  public:
    XImage(const XImage&) = delete;
    XImage& operator=(const XImage&) = delete;

    static int BitsPerPixel(XPixelFormat format);
    // Bytes per row: row bits rounded up to a multiple of 32.
    static int StrideFor(int width, XPixelFormat format);

    // An image owning a new buffer, zero-filled when asked; null on bad sizes.
    static std::unique_ptr<XImage> Allocate(int width, int height, XPixelFormat format,
                                            bool zero = false);
    // An image over data that the caller keeps alive and frees.
    static std::unique_ptr<XImage> Create(uint8_t* data, int width, int height, int stride,
                                          XPixelFormat format);

    std::unique_ptr<XImage> Clone() const;
    // Copies pixels into target, which must have the same height and format
    // and the same width (a JPEG target needs only a large enough stride).
    XError CopyData(XImage* target) const;

    uint8_t* Data() const { return mData; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Stride() const { return mStride; }
    XPixelFormat Format() const { return mFormat; }
    bool OwnsData() const { return mOwned != nullptr; }

  private:
    XImage(uint8_t* data, int width, int height, int stride, XPixelFormat format,
           std::unique_ptr<uint8_t[]> owned);

    uint8_t* mData;
    int mWidth;
    int mHeight;
    int mStride;
    XPixelFormat mFormat;
    std::unique_ptr<uint8_t[]> mOwned;
};
