// Encodes grey and 24-bit colour images to JPEG in memory.
#pragma once

#include <cstdint>

#include "XError.h"
#include "XImage.h"

class XJpegEncoder {
  public:
    explicit XJpegEncoder(uint16_t quality = 85, bool fasterCompression = false);

    uint16_t Quality() const { return mQuality; }
    // 1 to 100; larger values become 100, 0 becomes 1.
    void SetQuality(uint16_t quality);
    bool FasterCompression() const { return mFasterCompression; }
    void SetFasterCompression(bool faster) { mFasterCompression = faster; }

    // Writes into *buffer of *bufferSize bytes (malloc'd or null); when it is
    // too small the JPEG library puts a larger malloc'd buffer there, and the
    // old one is freed here. On success *bufferSize is the JPEG size.
    XError EncodeToMemory(const XImage* image, uint8_t** buffer, uint32_t* bufferSize);

  private:
    uint16_t mQuality;
    bool mFasterCompression;
};
