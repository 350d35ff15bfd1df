#include <gtest/gtest.h>

#include "RequestPolicy.h"

namespace {

TEST(RequestPolicy, LoopbackHosts) {
    struct Case {
        const char* host;
        bool loopback;
    } cases[] = {
        {"localhost", true},
        {"LocalHost:12531", true},
        {"localhost.", true},
        {"127.0.0.1", true},
        {"127.0.0.1:80", true},
        {"127.255.0.9:1", true},
        {"[::1]", true},
        {"[::1]:12531", true},
        {"evil.example", false},
        {"evil.example:12531", false},
        {"localhost.evil.example", false},
        {"127.0.0.1.evil.example", false},
        {"10.0.0.1", false},
        {"0.0.0.0", false},
        {"[::1", false},
        {"[::1]x", false},
        {"127.0.0.1:", false},
        {"127.0.0.1:port", false},
        {"::1", false},
        {"127.1", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;
}

TEST(RequestPolicy, AdmissionByHostAndOrigin) {
    RequestPolicy open;
    RequestPolicy loopback{true, {}};
    RequestPolicy listed{false, {"http://kiosk.local", "https://app.example:8443"}};
    struct Case {
        const RequestPolicy* policy;
        const char* host;
        const char* origin;
        bool admitted;
    } cases[] = {
        {&open, "evil.example", "http://evil.example", true},
        {&loopback, "127.0.0.1:12531", "http://evil.example", true},
        {&loopback, "evil.example:12531", "", false},
        {&loopback, "", "", true},
        {&listed, "evil.example", "http://kiosk.local", true},
        {&listed, "x", "HTTP://KIOSK.LOCAL", true},
        {&listed, "x", "https://app.example:8443", true},
        {&listed, "x", "https://app.example", false},
        {&listed, "x", "http://kiosk.local.evil.example", false},
        {&listed, "x", "null", false},
        {&listed, "x", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Admits(*c.policy, c.host, c.origin), c.admitted) << c.host << " " << c.origin;
    }
}

TEST(RequestPolicy, AllowOriginLineIsRewritten) {
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nAccess-Control-Allow-Origin:  *\r\n"
        "Cache-Control: no-store\r\n\r\n";
    struct Case {
        std::string reply, origin, expected;
    } cases[] = {
        {head + "{}", "http://kiosk.local",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nAccess-Control-Allow-Origin: "
         "http://kiosk.local\r\nVary: Origin\r\nCache-Control: no-store\r\n\r\n{}"},
        {head + "{}", "",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nCache-Control: no-store\r\n\r\n{}"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 29\r\n\r\nAccess-Control-Allow-Origin: *",
         "http://kiosk.local",
         "HTTP/1.1 200 OK\r\nContent-Length: 29\r\n\r\nAccess-Control-Allow-Origin: *"},
        {"HTTP/1.1 200 OK\r\naccess-control-allow-origin: *\r\n\r\n", "http://a.b",
         "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: http://a.b\r\nVary: Origin\r\n\r\n"},
        {"no head", "http://a.b", "no head"},
    };
    for (Case& c : cases) {
        RewriteAllowOrigin(c.reply, c.origin);
        EXPECT_EQ(c.reply, c.expected);
    }
}

}  // namespace
