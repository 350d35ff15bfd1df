#include "XVideoSourceToWeb.h"

#include <chrono>

#include "VideoSourceData.h"

namespace {

const char* const kNoImage = "No image from video source";

class JpegRequestHandler : public IWebRequestHandler {
  public:
    JpegRequestHandler(const std::string& path, std::shared_ptr<VideoSourceData> data)
        : IWebRequestHandler(path, false), mData(std::move(data)) {}

    void HandleHttpRequest(IWebRequest& /*request*/, IWebResponse& response) override {
        if (!mData->HasError()) mData->EncodeCameraImage();
        if (mData->HasError()) {
            mData->ReplyError(response);
            return;
        }
        if (!mData->SendJpeg(response,
                             "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: ",
                             "\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
                             "no-cache\r\nExpires: 0\r\n\r\n")) {
            response.SendError(500, "%s", kNoImage);
        }
    }

  private:
    std::shared_ptr<VideoSourceData> mData;
};

// Sends one part per frame interval; the server calls HandleTimer between
// frames without holding the handler lock in the meantime.
class MjpegRequestHandler : public IWebRequestHandler {
  public:
    MjpegRequestHandler(const std::string& path, std::shared_ptr<VideoSourceData> data,
                        uint32_t frameRate)
        : IWebRequestHandler(path, false),
          mData(std::move(data)),
          mFrameInterval(FrameIntervalMsec(frameRate)) {}

    void HandleHttpRequest(IWebRequest& /*request*/, IWebResponse& response) override {
        if (!mData->HasError()) mData->EncodeCameraImage();
        if (mData->HasError()) {
            mData->ReplyError(response);
            return;
        }
        if (mData->JpegSize() == 0) {
            response.SendError(500, "%s", kNoImage);
            return;
        }
        response.Printf(
            "HTTP/1.1 200 OK\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
            "no-cache\r\nExpires: 0\r\nConnection: close\r\nContent-Type: "
            "multipart/x-mixed-replace; boundary=--myboundary\r\n\r\n");
        mData->SendFrame(response);
        response.SetTimer(mFrameInterval);
    }

    void HandleTimer(IWebResponse& response) override {
        const auto start = std::chrono::steady_clock::now();
        if (!mData->HasError()) mData->EncodeCameraImage();
        if (mData->HasError() || !mData->SourceRunning() || !mData->SendFrame(response)) {
            response.CloseConnection();
            return;
        }
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
        const long long next = static_cast<long long>(mFrameInterval) - spent;
        response.SetTimer(next > 0 ? static_cast<uint32_t>(next) : 1);
    }

  private:
    std::shared_ptr<VideoSourceData> mData;
    uint32_t mFrameInterval;
};

}  // namespace

uint32_t FrameIntervalMsec(uint32_t frameRate) {
    return frameRate == 0 ? 0 : 1000 / frameRate;
}

XVideoSourceToWeb::XVideoSourceToWeb(uint16_t jpegQuality)
    : mData(std::make_shared<VideoSourceData>(jpegQuality)) {}

XVideoSourceToWeb::~XVideoSourceToWeb() = default;

IVideoSourceListener* XVideoSourceToWeb::VideoSourceListener() {
    return mData.get();
}

std::shared_ptr<IWebRequestHandler> XVideoSourceToWeb::CreateJpegHandler(const std::string& uri) {
    return std::make_shared<JpegRequestHandler>(uri, mData);
}

std::shared_ptr<IWebRequestHandler> XVideoSourceToWeb::CreateMjpegHandler(const std::string& uri,
                                                                          uint32_t frameRate) {
    return std::make_shared<MjpegRequestHandler>(uri, mData, frameRate);
}

uint16_t XVideoSourceToWeb::JpegQuality() const {
    return mData->JpegQuality();
}

void XVideoSourceToWeb::SetJpegQuality(uint16_t quality) {
    mData->SetJpegQuality(quality);
}
