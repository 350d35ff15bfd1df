#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "FakeWeb.h"
#include "XImage.h"
#include "XJpegEncoder.h"
#include "XVideoSourceToWeb.h"

namespace {

std::unique_ptr<XImage> Gradient(int width, int height, XPixelFormat format) {
    auto image = XImage::Allocate(width, height, format, true);
    const int bytes = XImage::BitsPerPixel(format) / 8;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * bytes; ++x) {
            image->Data()[y * image->Stride() + x] = static_cast<uint8_t>(x + y);
        }
    }
    return image;
}

bool IsJpeg(const uint8_t* data, size_t size) {
    return size > 4 && data[0] == 0xFF && data[1] == 0xD8 && data[size - 2] == 0xFF &&
           data[size - 1] == 0xD9;
}

TEST(XImage, StrideIsRowBitsRoundedToWords) {
    EXPECT_EQ(XImage::StrideFor(5, XPixelFormat::Grayscale8), 8);
    EXPECT_EQ(XImage::StrideFor(5, XPixelFormat::RGB24), 16);
    EXPECT_EQ(XImage::StrideFor(3, XPixelFormat::RGBA32), 12);
    EXPECT_EQ(XImage::Allocate(0, 4, XPixelFormat::RGB24), nullptr);
    EXPECT_EQ(XImage::Allocate(4, 4, XPixelFormat::Unknown), nullptr);
}

TEST(XImage, CopyDataNeedsMatchingImages) {
    auto source = Gradient(6, 3, XPixelFormat::RGB24);
    auto same = XImage::Allocate(6, 3, XPixelFormat::RGB24);
    ASSERT_EQ(source->CopyData(same.get()), XError::Success);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(std::memcmp(source->Data() + y * source->Stride(),
                              same->Data() + y * same->Stride(), 6 * 3),
                  0);
    }

    EXPECT_EQ(source->CopyData(nullptr), XError::NullPointer);
    EXPECT_EQ(source->CopyData(XImage::Allocate(7, 3, XPixelFormat::RGB24).get()),
              XError::ImageParametersMismatch);
    EXPECT_EQ(source->CopyData(XImage::Allocate(6, 2, XPixelFormat::RGB24).get()),
              XError::ImageParametersMismatch);
    EXPECT_EQ(source->CopyData(XImage::Allocate(6, 3, XPixelFormat::Grayscale8).get()),
              XError::ImageParametersMismatch);

    // A JPEG fits any JPEG image whose stride is large enough, and takes its size.
    uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto jpeg = XImage::Create(bytes, 10, 1, 12, XPixelFormat::JPEG);
    auto larger = XImage::Allocate(40, 1, XPixelFormat::JPEG);
    ASSERT_EQ(jpeg->CopyData(larger.get()), XError::Success);
    EXPECT_EQ(larger->Width(), 10);
    EXPECT_EQ(std::memcmp(larger->Data(), bytes, 10), 0);
    EXPECT_EQ(jpeg->CopyData(XImage::Allocate(4, 1, XPixelFormat::JPEG).get()),
              XError::ImageParametersMismatch);
}

TEST(XJpegEncoder, EncodesGreyAndColour) {
    XJpegEncoder encoder(150);
    EXPECT_EQ(encoder.Quality(), 100);
    for (XPixelFormat format : {XPixelFormat::Grayscale8, XPixelFormat::RGB24}) {
        auto image = Gradient(33, 17, format);
        // Start with a buffer too small, so the library has to replace it.
        uint8_t* buffer = static_cast<uint8_t*>(std::malloc(16));
        uint32_t size = 16;
        ASSERT_EQ(encoder.EncodeToMemory(image.get(), &buffer, &size), XError::Success);
        EXPECT_TRUE(IsJpeg(buffer, size));
        std::free(buffer);
    }
}

TEST(XJpegEncoder, RefusesWhatItCannotEncode) {
    XJpegEncoder encoder(85);
    uint8_t* buffer = nullptr;
    uint32_t size = 0;
    EXPECT_EQ(encoder.EncodeToMemory(nullptr, &buffer, &size), XError::NullPointer);
    auto colour = Gradient(4, 4, XPixelFormat::RGB24);
    EXPECT_EQ(encoder.EncodeToMemory(colour.get(), nullptr, &size), XError::NullPointer);
    auto rgba = Gradient(4, 4, XPixelFormat::RGBA32);
    EXPECT_EQ(encoder.EncodeToMemory(rgba.get(), &buffer, &size), XError::UnsupportedPixelFormat);
    EXPECT_EQ(buffer, nullptr);
}

TEST(FrameInterval, MillisecondsPerFrame) {
    EXPECT_EQ(FrameIntervalMsec(30), 33u);
    EXPECT_EQ(FrameIntervalMsec(1), 1000u);
    EXPECT_EQ(FrameIntervalMsec(0), 0u);
}

class CameraRoutes : public ::testing::Test {
  protected:
    XVideoSourceToWeb video{85};
    std::shared_ptr<IWebRequestHandler> jpeg = video.CreateJpegHandler("/camera/jpeg");
    std::shared_ptr<IWebRequestHandler> mjpeg = video.CreateMjpegHandler("/camera/mjpeg", 30);
    FakeRequest request;
};

TEST_F(CameraRoutes, NoImageFromVideoSource) {
    for (auto& handler : {jpeg, mjpeg}) {
        FakeResponse response;
        handler->HandleHttpRequest(request, response);
        EXPECT_EQ(response.errorCode, 500);
        EXPECT_EQ(response.errorText, "No image from video source");
        EXPECT_TRUE(response.sent.empty());
    }
}

TEST_F(CameraRoutes, JpegOfTheLatestPicture) {
    video.VideoSourceListener()->OnNewImage(*Gradient(64, 48, XPixelFormat::RGB24));
    FakeResponse response;
    jpeg->HandleHttpRequest(request, response);
    ASSERT_EQ(response.errorCode, 0);
    const size_t bodyStart = response.sent.find("\r\n\r\n") + 4;
    const std::string body = response.sent.substr(bodyStart);
    EXPECT_EQ(response.sent.substr(0, bodyStart),
              "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                  std::to_string(body.size()) +
                  "\r\nCache-Control: no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: "
                  "0\r\n\r\n");
    EXPECT_TRUE(IsJpeg(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

TEST_F(CameraRoutes, JpegPicturesPassUnchanged) {
    uint8_t bytes[] = {0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9};
    auto picture = XImage::Create(bytes, sizeof(bytes), 1, 8, XPixelFormat::JPEG);
    video.VideoSourceListener()->OnNewImage(*picture);
    FakeResponse response;
    jpeg->HandleHttpRequest(request, response);
    EXPECT_EQ(response.sent.substr(response.sent.size() - sizeof(bytes)),
              std::string(reinterpret_cast<char*>(bytes), sizeof(bytes)));
}

TEST_F(CameraRoutes, MjpegStreamsPartsOnItsTimer) {
    video.VideoSourceListener()->OnNewImage(*Gradient(16, 16, XPixelFormat::Grayscale8));
    FakeResponse response;
    mjpeg->HandleHttpRequest(request, response);
    EXPECT_EQ(response.sent.find("HTTP/1.1 200 OK\r\nCache-Control: no-store, must-revalidate\r\n"
                                 "Pragma: no-cache\r\nExpires: 0\r\nConnection: close\r\n"
                                 "Content-Type: multipart/x-mixed-replace; "
                                 "boundary=--myboundary\r\n\r\n--myboundary\r\n"
                                 "Content-Type: image/jpeg\r\nContent-Length: "),
              0u);
    ASSERT_EQ(response.timers, std::vector<uint32_t>{33});

    response.sent.clear();
    mjpeg->HandleTimer(response);
    EXPECT_EQ(response.sent.find("--myboundary\r\n"), 0u);
    ASSERT_EQ(response.timers.size(), 2u);
    EXPECT_GE(response.timers[1], 1u);
    EXPECT_LE(response.timers[1], 33u);

    // A client two frames behind skips this frame but keeps the stream.
    response.sent.clear();
    response.waiting = 1 << 20;
    mjpeg->HandleTimer(response);
    EXPECT_TRUE(response.sent.empty());
    EXPECT_EQ(response.timers.size(), 3u);
    EXPECT_FALSE(response.closed);

    // A source that stops ends the stream.
    video.VideoSourceListener()->OnStopImage();
    mjpeg->HandleTimer(response);
    EXPECT_TRUE(response.closed);
}

TEST_F(CameraRoutes, SourceErrorsAnswer500WithTheirText) {
    video.VideoSourceListener()->OnError("camera unplugged", true);
    FakeResponse response;
    jpeg->HandleHttpRequest(request, response);
    EXPECT_EQ(response.errorCode, 500);
    EXPECT_EQ(response.errorText, "camera unplugged");

    // An unsupported picture fails its encoding with that error's text.
    video.VideoSourceListener()->OnNewImage(*Gradient(4, 4, XPixelFormat::RGBA32));
    FakeResponse encoding;
    jpeg->HandleHttpRequest(request, encoding);
    EXPECT_EQ(encoding.errorText, "Pixel format is not supported");
}

}  // namespace
