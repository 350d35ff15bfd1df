#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "IDeviceRequestHandler.h"
#include "ServerFixture.h"
#include "XManualResetEvent.h"

namespace {

// Stands for a method route: a body "quick" is answered at once, any other
// body waits for the gate to open, as a card move waits for the mechanism.
class GatedDevice : public IWebRequestHandler, public IDeviceRequestHandler {
  public:
    GatedDevice() : IWebRequestHandler("/device", false) {}

    bool AnswerWithoutDevice(IWebRequest& request, IWebResponse& response) override {
        if (request.Body() != "quick") return false;
        Reply(response, "quick");
        return true;
    }
    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override {
        const int now = ++mActive;
        if (now > mMost) mMost = now;
        started.Signal();
        gate.Wait();
        {
            std::lock_guard<std::mutex> guard(mMutex);
            order.push_back(request.Body());
        }
        --mActive;
        Reply(response, request.Body());
    }

    XManualResetEvent gate, started;
    std::mutex mMutex;
    std::vector<std::string> order;
    std::atomic<int> mActive{0}, mMost{0};

  private:
    static void Reply(IWebResponse& response, const std::string& text) {
        response.Printf("HTTP/1.1 200 OK\r\nContent-Length: %u\r\n\r\n%s",
                        static_cast<unsigned>(text.size()), text.c_str());
    }
};

using DeviceCalls = ServerFixture;

TEST_F(DeviceCalls, RunInTurnWhileTheNetworkGoesOn) {
    auto device = std::make_shared<GatedDevice>();
    server.AddHandler(device);
    server.AddHandler(std::make_shared<NamedHandler>("/version", "version"));
    Start();

    std::vector<std::unique_ptr<TestConnection>> waiting;
    for (const char* body : {"first", "second", "third"}) {
        waiting.push_back(std::make_unique<TestConnection>(port));
        ASSERT_TRUE(waiting.back()->Send(Post("/device", body)));
        if (waiting.size() == 1) {
            ASSERT_TRUE(device->started.Wait(5000));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    // The first call holds the device; the network thread still answers.
    EXPECT_EQ(Exchange(port, Get("/version")).body, "version");
    EXPECT_EQ(Exchange(port, Post("/device", "quick")).body, "quick");
    EXPECT_EQ(Exchange(port, Get("/missing")).status, 404);

    device->gate.Signal();
    for (size_t i = 0; i < waiting.size(); ++i) {
        HttpReply reply;
        ASSERT_TRUE(waiting[i]->Read(reply)) << i;
        EXPECT_EQ(reply.status, 200);
    }
    EXPECT_EQ(device->order, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(device->mMost, 1);
}

TEST_F(DeviceCalls, StopWaitsForTheRunningCallAndDropsTheQueued) {
    auto device = std::make_shared<GatedDevice>();
    server.AddHandler(device);
    Start();
    TestConnection running(port), queued(port);
    ASSERT_TRUE(running.Send(Post("/device", "running")));
    ASSERT_TRUE(device->started.Wait(5000));
    ASSERT_TRUE(queued.Send(Post("/device", "queued")));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        device->gate.Signal();
    });
    server.Stop();
    opener.join();
    EXPECT_EQ(device->order, std::vector<std::string>{"running"});
    EXPECT_TRUE(queued.ClosedByPeer(2000));
}

}  // namespace
