// A server on a free port, and handlers that make it easy to see who served what.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "XWebServer.h"
#include "support/TestHttp.h"

inline std::string Get(const std::string& uri, const std::string& extra = "") {
    return "GET " + uri + " HTTP/1.1\r\nHost: localhost\r\n" + extra + "\r\n";
}

inline std::string Post(const std::string& uri, const std::string& body) {
    return "POST " + uri +
           " HTTP/1.1\r\nHost: localhost\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

// Answers its name, so a test sees which handler served a request.
class NamedHandler : public IWebRequestHandler {
  public:
    NamedHandler(const std::string& path, std::string name, bool subContent = false)
        : IWebRequestHandler(path, subContent), mName(std::move(name)) {}

    void HandleHttpRequest(IWebRequest&, IWebResponse& response) override {
        response.Printf("HTTP/1.1 200 OK\r\nContent-Length: %u\r\n\r\n%s",
                        static_cast<unsigned>(mName.size()), mName.c_str());
    }

  private:
    std::string mName;
};

// Answers with a request part chosen by a function.
class EchoHandler : public IWebRequestHandler {
  public:
    using Pick = std::function<std::string(IWebRequest&)>;
    EchoHandler(const std::string& path, Pick pick)
        : IWebRequestHandler(path, false), mPick(std::move(pick)) {}

    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override {
        const std::string text = mPick(request);
        response.Printf("HTTP/1.1 200 OK\r\nContent-Length: %u\r\n\r\n",
                        static_cast<unsigned>(text.size()));
        response.Send(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }

  private:
    Pick mPick;
};

class ServerFixture : public ::testing::Test {
  protected:
    void TearDown() override { server.Stop(); }

    // Starts on a free port, trying another when one was taken meanwhile.
    void Start() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = FreePort();
            server.SetPort(port);
            if (server.Start()) return;
        }
        FAIL() << "server did not start";
    }

    XWebServer server;
    uint16_t port = 0;
};
