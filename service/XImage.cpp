#include "XImage.h"

#include <climits>
#include <cstring>

XImage::XImage(uint8_t* data, int width, int height, int stride, XPixelFormat format,
               std::unique_ptr<uint8_t[]> owned)
    : mData(data),
      mWidth(width),
      mHeight(height),
      mStride(stride),
      mFormat(format),
      mOwned(std::move(owned)) {}

int XImage::BitsPerPixel(XPixelFormat format) {
    switch (format) {
        case XPixelFormat::Grayscale8:
            return 8;
        case XPixelFormat::RGB24:
            return 24;
        case XPixelFormat::RGBA32:
            return 32;
        case XPixelFormat::JPEG:
            return 8;
        default:
            return 0;
    }
}

int XImage::StrideFor(int width, XPixelFormat format) {
    const long long bits = static_cast<long long>(width) * BitsPerPixel(format);
    const long long stride = (bits + 31) / 32 * 4;
    return stride > INT_MAX ? -1 : static_cast<int>(stride);
}

std::unique_ptr<XImage> XImage::Allocate(int width, int height, XPixelFormat format, bool zero) {
    if (width <= 0 || height <= 0 || BitsPerPixel(format) == 0) return nullptr;
    const int stride = StrideFor(width, format);
    if (stride <= 0) return nullptr;
    const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
    std::unique_ptr<uint8_t[]> buffer(zero ? new uint8_t[size]() : new uint8_t[size]);
    uint8_t* data = buffer.get();
    return std::unique_ptr<XImage>(
        new XImage(data, width, height, stride, format, std::move(buffer)));
}

std::unique_ptr<XImage> XImage::Create(uint8_t* data, int width, int height, int stride,
                                       XPixelFormat format) {
    if (data == nullptr || width <= 0 || height <= 0 || stride < StrideFor(width, format) ||
        BitsPerPixel(format) == 0) {
        return nullptr;
    }
    return std::unique_ptr<XImage>(new XImage(data, width, height, stride, format, nullptr));
}

std::unique_ptr<XImage> XImage::Clone() const {
    auto copy = Allocate(mWidth, mHeight, mFormat);
    if (copy && CopyData(copy.get()) != XError::Success) copy.reset();
    return copy;
}

XError XImage::CopyData(XImage* target) const {
    if (target == nullptr || mData == nullptr || target->mData == nullptr) {
        return XError::NullPointer;
    }
    if (target->mHeight != mHeight || target->mFormat != mFormat) {
        return XError::ImageParametersMismatch;
    }
    if (mFormat == XPixelFormat::JPEG) {
        if (target->mStride < mWidth) return XError::ImageParametersMismatch;
        target->mWidth = mWidth;
    } else if (target->mWidth != mWidth) {
        return XError::ImageParametersMismatch;
    }
    const size_t rowBytes = (static_cast<size_t>(mWidth) * BitsPerPixel(mFormat) + 7) / 8;
    for (int y = 0; y < mHeight; ++y) {
        std::memcpy(target->mData + static_cast<size_t>(y) * target->mStride,
                    mData + static_cast<size_t>(y) * mStride, rowBytes);
    }
    return XError::Success;
}
