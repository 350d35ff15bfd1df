// Each setting against the real devhttpd.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "DevhttpdProcess.h"

namespace {

const std::string kHeartBeat = "{\"funccode\":\"heart_beat\"}";
const std::string kSuccess = "{\"msg\":\"成功\",\"result\":0}";

std::string Post(const std::string& uri, const std::string& body,
                 const std::string& headers = "Host: 127.0.0.1\r\n") {
    return "POST " + uri + " HTTP/1.1\r\n" + headers +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Get(const std::string& uri, const std::string& headers = "Host: 127.0.0.1\r\n") {
    return "GET " + uri + " HTTP/1.1\r\n" + headers + "\r\n";
}

// devhttpd run to its end, standard output and error together.
int RunDevhttpd(const std::string& arguments, std::string& output, const std::string& input = "") {
    std::string command = std::string(DEVHTTPD_PATH) + " " + arguments + " 2>&1";
    if (!input.empty()) command = "printf '%s\\n' '" + input + "' | " + command;
    return RunProgram({"/bin/sh", "-c", command}, output);
}

// curl's status code, "000" when nothing answered.
std::string CurlStatus(const std::string& url, const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"curl", "-s",           "-o",         "/dev/null",
                                     "-w",   "%{http_code}", "--max-time", "5"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(url);
    std::string output;
    RunProgram(args, output);
    return output;
}

class Settings : public ::testing::Test {
  protected:
    void StartWith(std::vector<std::string> args) {
        // Last, so that it overrides a configuration file's port.
        port = FreePort();
        args.insert(args.end(), {"http_port", std::to_string(port)});
        ASSERT_TRUE(service.Start(args, port)) << service.Output();
    }
    void TearDown() override {
        if (port != 0) {
            EXPECT_EQ(service.Stop(SIGTERM), 0) << service.Output();
        }
    }
    std::string Url(const std::string& uri, const std::string& host = "127.0.0.1") const {
        return "http://" + host + ":" + std::to_string(port) + uri;
    }

    DevhttpdProcess service;
    uint16_t port = 0;
};

TEST_F(Settings, BoundToLoopbackNothingAnswersOnAnotherLocalAddress) {
    StartWith({"http_bind", "127.0.0.1"});
    EXPECT_EQ(CurlStatus(Url("/version")), "200");
    EXPECT_EQ(CurlStatus(Url("/version", "127.0.0.2")), "000");
}

TEST_F(Settings, EveryInterfaceByDefault) {
    StartWith({});
    EXPECT_EQ(CurlStatus(Url("/version", "127.0.0.2")), "200");
    // Not bound to loopback: no Host check.
    EXPECT_EQ(Exchange(port, Get("/version", "Host: evil.example\r\n")).status, 200);
}

TEST_F(Settings, OnLoopbackOnlyLoopbackHostsAreServed) {
    StartWith({"http_bind", "127.0.0.1"});
    const std::string p = std::to_string(port);
    struct Case {
        std::string request;
        int status;
    } cases[] = {
        {Get("/version", "Host: 127.0.0.1:" + p + "\r\n"), 200},
        {Get("/version", "Host: localhost:" + p + "\r\n"), 200},
        {Get("/version", "Host: [::1]:" + p + "\r\n"), 200},
        {Get("/version", ""), 200},
        {Get("/version", "Host: rebound.example:" + p + "\r\n"), 403},
        {Get("/version", "Host: 10.1.2.3\r\n"), 403},
        {Post("/api/call_method/heart_beat", kHeartBeat, "Host: rebound.example\r\n"), 403},
        {Get("/index.html", "Host: rebound.example\r\n"), 403},
        {Get("/ws",
             "Host: rebound.example\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
             "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"),
         403},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Exchange(port, c.request).status, c.status) << c.request;
    }
}

TEST_F(Settings, ApiLevelDemandsCredentialsForMethodCalls) {
    const std::string users = service.Dir().Path() + "/users";
    std::string output;
    ASSERT_EQ(RunDevhttpd("users_file " + users + " adduser alice", output, "s3cret"), 0) << output;
    EXPECT_EQ(output.find("s3cret"), std::string::npos) << output;
    StartWith({"api_level", "1", "users_file", users});

    const HttpReply challenge = Exchange(port, Post("/api/call_method/heart_beat", kHeartBeat));
    EXPECT_EQ(challenge.status, 401);
    EXPECT_NE(challenge.head.find("WWW-Authenticate: Digest qop=\"auth\", realm=\"lumorax\""),
              std::string::npos)
        << challenge.head;

    const std::vector<std::string> post = {"-d", kHeartBeat};
    auto with = [&post](std::vector<std::string> options) {
        options.insert(options.end(), post.begin(), post.end());
        return options;
    };
    struct Case {
        std::vector<std::string> options;
        std::string status;
    } cases[] = {
        {with({}), "401"},
        {with({"--digest", "-u", "alice:s3cret"}), "200"},
        {with({"--basic", "-u", "alice:s3cret"}), "200"},
        {with({"--digest", "-u", "alice:wrong"}), "401"},
        {with({"--digest", "-u", "mallory:s3cret"}), "401"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CurlStatus(Url("/api/call_method/heart_beat"), c.options), c.status)
            << c.options[0];
    }
    std::string body;
    RunProgram({"curl", "-s", "--max-time", "5", "--digest", "-u", "alice:s3cret", "-d", kHeartBeat,
                Url("/api/call_method/heart_beat")},
               body);
    EXPECT_EQ(body, kSuccess);
    // Only the method routes need credentials.
    EXPECT_EQ(CurlStatus(Url("/version")), "200");
}

TEST_F(Settings, OriginListEchoesListedOriginsAndRefusesOthers) {
    StartWith({"allow_origin", "http://kiosk.local,http://127.0.0.1:8080"});
    const std::string uri = "/api/call_method/heart_beat";
    struct Case {
        std::string origin;
        int status;
        std::string allowOrigin;  // the header line, empty when there is none
    } cases[] = {
        {"http://kiosk.local", 200,
         "\r\nAccess-Control-Allow-Origin: http://kiosk.local\r\nVary: Origin\r\n"},
        {"http://127.0.0.1:8080", 200,
         "\r\nAccess-Control-Allow-Origin: http://127.0.0.1:8080\r\nVary: Origin\r\n"},
        {"", 200, ""},
        {"http://evil.example", 403, ""},
        {"http://127.0.0.1:8081", 403, ""},
    };
    for (const Case& c : cases) {
        const std::string headers =
            "Host: 127.0.0.1\r\n" + (c.origin.empty() ? "" : "Origin: " + c.origin + "\r\n");
        const HttpReply reply = Exchange(port, Post(uri, kHeartBeat, headers));
        EXPECT_EQ(reply.status, c.status) << c.origin;
        if (c.status != 200) continue;
        EXPECT_EQ(reply.body, kSuccess);
        if (c.allowOrigin.empty()) {
            EXPECT_EQ(reply.head.find("Access-Control-Allow-Origin"), std::string::npos);
        } else {
            EXPECT_NE((reply.head + "\r\n").find(c.allowOrigin), std::string::npos) << reply.head;
        }
    }
}

TEST_F(Settings, ConfigFileSettingsAndCommandLineAfterIt) {
    service.Dir().Write("devhttpd.conf",
                        "# test configuration\nhttp_bind = 127.0.0.1\n"
                        "allow_origin = http://kiosk.local\nhttp_port = 1\n");
    StartWith({"config", service.Dir().Path() + "/devhttpd.conf"});
    EXPECT_EQ(CurlStatus(Url("/version")), "200");
    EXPECT_EQ(CurlStatus(Url("/version", "127.0.0.2")), "000");
    EXPECT_EQ(
        Exchange(port, Get("/version", "Host: 127.0.0.1\r\nOrigin: http://x.example\r\n")).status,
        403);
}

TEST_F(Settings, PackagedConfigurationServesOnLoopback) {
    StartWith({"config", PACKAGED_CONFIG});
    EXPECT_EQ(Exchange(port, Post("/api/call_method/heart_beat", kHeartBeat)).body, kSuccess);
    EXPECT_EQ(CurlStatus(Url("/version", "127.0.0.2")), "000");
    EXPECT_EQ(Exchange(port, Get("/version", "Host: rebound.example\r\n")).status, 403);
}

TEST(SettingsCommands, HelpVersionAndErrors) {
    struct Case {
        std::string arguments;
        int status;
        std::vector<std::string> texts;
    } cases[] = {
        {"--help",
         0,
         {"Usage: devhttpd", "  http_port PORT", "  http_bind ADDRESS", "  api_level 0-3",
          "  users_file FILE", "  allow_origin", "  config FILE", "  max_connections N",
          "(default: 12531)"}},
        {"--version", 0, {"devhttpd 1.1.0\n"}},
        {"http_bnd 127.0.0.1", 2, {"devhttpd: unknown setting \"http_bnd\""}},
        {"http_port 9000 verbose", 2, {"\"verbose\""}},
        {"api_level 5", 2, {"\"api_level\"", "\"5\""}},
        {"api_level 1", 2, {"api_level above 0 needs a users_file"}},
        {"users_file /nonexistent/users", 2, {"\"/nonexistent/users\" cannot be read"}},
        {"config /nonexistent/devhttpd.conf", 2, {"\"/nonexistent/devhttpd.conf\""}},
    };
    for (const Case& c : cases) {
        std::string output;
        EXPECT_EQ(RunDevhttpd(c.arguments, output), c.status) << c.arguments << "\n" << output;
        for (const std::string& text : c.texts) {
            EXPECT_NE(output.find(text), std::string::npos) << c.arguments << "\n" << output;
        }
    }
}

TEST(SettingsCommands, AdduserPrintsOrAppendsALineAndNeverTakesThePassword) {
    std::string output;
    ASSERT_EQ(RunDevhttpd("adduser bob:2", output, "pw"), 0) << output;
    const size_t line = output.find("bob:lumorax:");
    ASSERT_NE(line, std::string::npos) << output;
    const std::string hash = output.substr(line + 12, 32);
    EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos) << output;
    EXPECT_EQ(output.substr(line + 44), ":2\n");
    struct Case {
        std::string arguments, input, text;
    } cases[] = {
        {"adduser 'a b'", "pw", "user name"},
        {"adduser bob:9", "pw", "user level"},
        {"adduser bob", "", "password"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RunDevhttpd(c.arguments, output, c.input), 1) << c.arguments;
        EXPECT_NE(output.find(c.text), std::string::npos) << output;
    }
}

// Samples of /metrics as the Prometheus parser reads them, by name and labels.
std::map<std::string, double> Scrape(uint16_t port, const ScratchDir& dir) {
    const HttpReply reply = Exchange(port, Get("/metrics"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_NE(reply.head.find("Content-Type: text/plain; version=0.0.4"), std::string::npos);
    dir.Write("metrics.txt", reply.body);
    std::string parsed;
    // The system interpreter, which the Debian package of the parser serves.
    EXPECT_EQ(
        RunProgram({"/usr/bin/python3", METRICS_SAMPLES, dir.Path() + "/metrics.txt"}, parsed), 0)
        << reply.body;
    std::map<std::string, double> samples;
    std::istringstream lines(parsed);
    std::string type, name;
    double value = 0;
    while (lines >> type >> name >> value) samples[name] = value;
    return samples;
}

TEST_F(Settings, MetricsParseAndMoveWithRequests) {
    StartWith({});
    const std::string route = "/api/call_method/heart_beat";
    const std::string beats = "devhttpd_sdk_call_duration_seconds_count{method=heart_beat}";
    const std::string served = "devhttpd_http_requests_total{code=200,route=" + route + "}";
    const std::string wrongFunction = "devhttpd_device_errors_total{code=1}";

    const auto before = Scrape(port, service.Dir());
    const double started = before.at("process_start_time_seconds{}");
    EXPECT_LE(std::abs(started - static_cast<double>(std::time(nullptr))), 60);
    EXPECT_GE(before.at("devhttpd_connections_open{}"), 1);
    EXPECT_EQ(before.count(beats) ? before.at(beats) : 0, 0);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Exchange(port, Post(route, kHeartBeat)).body, kSuccess);
    }
    Exchange(port, Post("/api/call_method/get_dev_info", "{}"));
    EXPECT_EQ(Exchange(port, Get("/no/such/file")).status, 404);

    const auto after = Scrape(port, service.Dir());
    EXPECT_EQ(after.at(beats), 3);
    EXPECT_EQ(after.at(served), 3);
    EXPECT_EQ(after.at(wrongFunction), 1);
    EXPECT_EQ(after.at("devhttpd_sdk_call_duration_seconds_count{method=other}"), 1);
    EXPECT_EQ(after.at("devhttpd_http_requests_total{code=200,route=/metrics}"), 1);
    EXPECT_EQ(after.at("devhttpd_cards_moved_total{}"), 0);
    EXPECT_EQ(after.count("devhttpd_http_requests_total{code=404,route=files}"), 1u);
}

}  // namespace
