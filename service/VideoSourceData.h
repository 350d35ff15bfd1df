// The latest picture of a video source and its JPEG form, shared between the
// source's thread and the camera handlers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "IVideoSourceListener.h"
#include "IWebRequestHandler.h"
#include "XError.h"
#include "XJpegEncoder.h"

class VideoSourceData : public IVideoSourceListener {
  public:
    explicit VideoSourceData(uint16_t jpegQuality);
    ~VideoSourceData() override { std::free(mJpegBuffer); }
    VideoSourceData(const VideoSourceData&) = delete;
    VideoSourceData& operator=(const VideoSourceData&) = delete;

    void OnStartImage() override;
    void OnStopImage() override;
    void OnNewImage(const XImage& image) override;
    void OnError(const std::string& errorMessage, bool fatal) override;

    // Turns a newly arrived picture into the JPEG buffer.
    void EncodeCameraImage();
    // The source reported an error, or the last copy or encoding failed.
    bool HasError();
    // The 500 reply naming that error.
    void ReplyError(IWebResponse& response);
    bool SourceRunning();
    uint32_t JpegSize();

    // Sends the JPEG bytes after a head formatted with their size; false when
    // there is no picture yet.
    // The head is headBeforeLength, the picture's length, headAfterLength.
    bool SendJpeg(IWebResponse& response, const char* headBeforeLength,
                  const char* headAfterLength);
    // The next stream part, unless the client is more than two frames behind.
    bool SendFrame(IWebResponse& response);

    uint16_t JpegQuality();
    void SetJpegQuality(uint16_t quality);

  private:
    std::mutex mImageLock;
    std::mutex mBufferLock;
    bool mNewImage = false;
    bool mSourceError = false;
    std::string mSourceErrorText;
    XError mLastError;
    bool mSourceRunning = true;
    uint8_t* mJpegBuffer = nullptr;  // malloc'd, as the JPEG library may replace it
    uint32_t mJpegCapacity = 0;
    uint32_t mJpegSize = 0;
    std::unique_ptr<XImage> mCameraImage;
    XJpegEncoder mEncoder;
};
