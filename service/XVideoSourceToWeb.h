// Keeps the latest camera picture as JPEG and serves it as one picture or as
// a motion-JPEG stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "IVideoSourceListener.h"
#include "IWebRequestHandler.h"

class VideoSourceData;

class XVideoSourceToWeb {
  public:
    explicit XVideoSourceToWeb(uint16_t jpegQuality = 85);
    ~XVideoSourceToWeb();
    XVideoSourceToWeb(const XVideoSourceToWeb&) = delete;
    XVideoSourceToWeb& operator=(const XVideoSourceToWeb&) = delete;

    // The listener to attach to a video source; it lives as long as this object.
    IVideoSourceListener* VideoSourceListener();

    std::shared_ptr<IWebRequestHandler> CreateJpegHandler(const std::string& uri);
    std::shared_ptr<IWebRequestHandler> CreateMjpegHandler(const std::string& uri,
                                                           uint32_t frameRate);

    uint16_t JpegQuality() const;
    void SetJpegQuality(uint16_t quality);

  private:
    // Shared with the handlers, which the server may keep after this object goes.
    std::shared_ptr<VideoSourceData> mData;
};

// Milliseconds between frames at a rate; 0 for a rate of 0.
uint32_t FrameIntervalMsec(uint32_t frameRate);
