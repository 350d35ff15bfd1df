#include <gtest/gtest.h>

#include "ServerFixture.h"
#include "XVideoSourceToWeb.h"

namespace {

using CameraStream = ServerFixture;

// The stream paces its parts on the server's timer loop, lets other requests
// in between them, and ends when the source stops.
TEST_F(CameraStream, PartsFlowUntilTheSourceStops) {
    XVideoSourceToWeb video(85);
    auto picture = XImage::Allocate(32, 24, XPixelFormat::RGB24, true);
    video.VideoSourceListener()->OnNewImage(*picture);
    server.AddHandler(video.CreateMjpegHandler("/camera/mjpeg", 50));
    server.AddHandler(std::make_shared<NamedHandler>("/other", "other"));
    Start();

    TestConnection stream(port);
    ASSERT_TRUE(stream.Send(Get("/camera/mjpeg")));
    ASSERT_TRUE(stream.WaitFor("multipart/x-mixed-replace; boundary=--myboundary\r\n\r\n"));
    ASSERT_TRUE(stream.WaitFor("--myboundary\r\nContent-Type: image/jpeg"));
    EXPECT_EQ(Exchange(port, Get("/other")).body, "other");

    video.VideoSourceListener()->OnStopImage();
    EXPECT_TRUE(stream.ClosedByPeer(3000));
}

}  // namespace
