#include "XJpegEncoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// The library's default would end the process; jump back to the caller instead.
void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void SilenceJpegMessage(j_common_ptr) {}

// Kept free of C++ objects: a longjmp out of the library crosses this frame.
bool Encode(const XImage* image, int quality, bool faster, unsigned char** buffer,
            unsigned long* size) {
    jpeg_compress_struct info;
    ErrorManager error;
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnJpegError;
    error.base.output_message = SilenceJpegMessage;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    const bool grey = image->Format() == XPixelFormat::Grayscale8;
    info.image_width = static_cast<JDIMENSION>(image->Width());
    info.image_height = static_cast<JDIMENSION>(image->Height());
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (faster) info.dct_method = JDCT_IFAST;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = image->Data() + static_cast<size_t>(info.next_scanline) * image->Stride();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

XJpegEncoder::XJpegEncoder(uint16_t quality, bool fasterCompression)
    : mQuality(1), mFasterCompression(fasterCompression) {
    SetQuality(quality);
}

void XJpegEncoder::SetQuality(uint16_t quality) {
    mQuality = quality > 100 ? 100 : (quality == 0 ? 1 : quality);
}

XError XJpegEncoder::EncodeToMemory(const XImage* image, uint8_t** buffer, uint32_t* bufferSize) {
    if (image == nullptr || image->Data() == nullptr || buffer == nullptr ||
        bufferSize == nullptr) {
        return XError::NullPointer;
    }
    if (image->Format() != XPixelFormat::Grayscale8 && image->Format() != XPixelFormat::RGB24) {
        return XError::UnsupportedPixelFormat;
    }
    unsigned char* output = *buffer;
    unsigned long size = *buffer != nullptr ? *bufferSize : 0;
    if (!Encode(image, mQuality, mFasterCompression, &output, &size)) {
        if (output != *buffer) std::free(output);
        return XError::FailedImageEncoding;
    }
    if (output != *buffer) {
        std::free(*buffer);
        *buffer = output;
    }
    *bufferSize = static_cast<uint32_t>(size);
    return XError::Success;
}
