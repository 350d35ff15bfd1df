#include <gtest/gtest.h>

#include <vector>

#include "SettingsReader.h"
#include "support/TestHttp.h"

namespace {

using Action = SettingsRequest::Action;

struct Read {
    ServiceSettings settings;
    SettingsRequest request;
};

Read ReadArgs(std::vector<const char*> args) {
    args.insert(args.begin(), "devhttpd");
    Read read;
    SetDefaultSettings(read.settings, 12531);
    read.request = ReadSettings(read.settings, static_cast<int>(args.size()), args.data());
    return read;
}

TEST(SettingsReader, ArgumentsSetTheirSettings) {
    const Read read =
        ReadArgs({"http_bind", "127.0.0.1", "http_port", "9000", "api_level", "2", "users_file",
                  "/etc/u", "allow_origin", "http://A.example, https://b.example:8443",
                  "max_body_bytes", "4096", "idle_timeout_ms", "250", "max_connections", "8"});
    ASSERT_EQ(read.request.action, Action::Serve) << read.request.error;
    const ServiceSettings& s = read.settings;
    EXPECT_EQ(s.httpBind, "127.0.0.1");
    EXPECT_EQ(s.httpPort, 9000);
    EXPECT_EQ(s.apiLevel, UserGroup::Power);
    EXPECT_EQ(s.htRealmFile, "/etc/u");
    EXPECT_EQ(s.allowedOrigins,
              (std::vector<std::string>{"http://a.example", "https://b.example:8443"}));
    EXPECT_EQ(s.limits.bodyBytes, 4096u);
    EXPECT_EQ(s.limits.idleTime, std::chrono::milliseconds(250));
    EXPECT_EQ(s.limits.connections, 8u);
    EXPECT_EQ(s.limits.headerBytes, WebLimits().headerBytes);
}

TEST(SettingsReader, WithoutNewSettingsEverythingKeepsItsDefault) {
    const Read read = ReadArgs({"http_port", "70000"});
    ASSERT_EQ(read.request.action, Action::Serve);
    EXPECT_EQ(read.settings.httpPort, 70000);
    EXPECT_TRUE(read.settings.httpBind.empty());
    EXPECT_EQ(read.settings.apiLevel, UserGroup::Anyone);
    EXPECT_TRUE(read.settings.allowedOrigins.empty());
    EXPECT_EQ(read.settings.limits.connections, WebLimits().connections);
}

TEST(SettingsReader, ErrorsNameTheSetting) {
    struct Case {
        std::vector<const char*> args;
        std::string named;
    } cases[] = {
        {{"http_bnd", "127.0.0.1"}, "\"http_bnd\""},
        {{"9000"}, "\"9000\""},
        {{"http_port", "9000", "extra"}, "\"extra\""},
        {{"http_bind", "localhost"}, "\"http_bind\""},
        {{"http_bind", "300.1.1.1"}, "\"http_bind\""},
        {{"api_level", "4"}, "\"api_level\""},
        {{"api_level", "1x"}, "\"api_level\""},
        {{"api_level"}, "\"api_level\" needs a value"},
        {{"allow_origin", "example.com"}, "\"allow_origin\""},
        {{"allow_origin", "http://a.example/path"}, "\"allow_origin\""},
        {{"allow_origin", ","}, "\"allow_origin\""},
        {{"max_body_bytes", "0"}, "\"max_body_bytes\""},
        {{"max_body_bytes", "-1"}, "\"max_body_bytes\""},
        {{"max_body_bytes", "99999999999999999999999"}, "\"max_body_bytes\""},
        {{"header_timeout_ms", "1e3"}, "\"header_timeout_ms\""},
        {{"config", "/nonexistent/devhttpd.conf"}, "/nonexistent/devhttpd.conf"},
        {{"config"}, "\"config\" needs a value"},
    };
    for (const Case& c : cases) {
        const Read read = ReadArgs(c.args);
        EXPECT_EQ(read.request.action, Action::Error) << c.named;
        EXPECT_NE(read.request.error.find(c.named), std::string::npos) << read.request.error;
    }
}

TEST(SettingsReader, CommandsAndTheOldHttpPortReading) {
    struct Case {
        std::vector<const char*> args;
        Action action;
        int port;
    } cases[] = {
        {{"--help"}, Action::Help, 12531},
        {{"http_port", "9000", "-h"}, Action::Help, 9000},
        {{"--version", "nonsense"}, Action::Version, 12531},
        {{"adduser", "alice"}, Action::AddUser, 12531},
        {{"http_port"}, Action::Serve, 12531},
        {{"http_port", "x"}, Action::Serve, 0},
        {{"http_port", "9000", "http_port", "9001"}, Action::Serve, 9001},
    };
    for (const Case& c : cases) {
        const Read read = ReadArgs(c.args);
        EXPECT_EQ(read.request.action, c.action) << c.args[0];
        EXPECT_EQ(read.settings.httpPort, c.port) << c.args[0];
    }
    EXPECT_EQ(ReadArgs({"adduser", "bob:2"}).request.newUser, "bob:2");
}

TEST(SettingsReader, ConfigFileAppliesWhereItStands) {
    ScratchDir dir;
    dir.Write("good.conf",
              "# comment\n\n  http_bind = 127.0.0.1  \nhttp_port=9100\r\n"
              "allow_origin = http://kiosk.local\n   # indented comment\n");
    const std::string good = dir.Path() + "/good.conf";
    Read read = ReadArgs({"http_port", "1", "config", good.c_str(), "http_port", "9200"});
    ASSERT_EQ(read.request.action, Action::Serve) << read.request.error;
    EXPECT_EQ(read.settings.httpBind, "127.0.0.1");
    EXPECT_EQ(read.settings.httpPort, 9200);
    EXPECT_EQ(read.settings.allowedOrigins, std::vector<std::string>{"http://kiosk.local"});

    struct Case {
        std::string text, named;
    } cases[] = {
        {"http_port = 9000\nhttp_prot = 9001\n", ":2: unknown setting \"http_prot\""},
        {"http_port 9000\n", ":1: expected \"name = value\""},
        {"config = other.conf\n", ":1: a config file cannot name another"},
        {"api_level = 7\n", ":1: setting \"api_level\""},
        {std::string(5000, 'x') + "\n", ":1: file or line too long"},
    };
    for (const Case& c : cases) {
        dir.Write("bad.conf", c.text);
        const std::string bad = dir.Path() + "/bad.conf";
        read = ReadArgs({"config", bad.c_str()});
        EXPECT_EQ(read.request.action, Action::Error) << c.named;
        EXPECT_NE(read.request.error.find(bad + c.named), std::string::npos) << read.request.error;
    }
}

TEST(SettingsReader, PackagedConfigurationParses) {
    Read read = ReadArgs({"config", PACKAGED_CONFIG});
    ASSERT_EQ(read.request.action, Action::Serve) << read.request.error;
    EXPECT_EQ(read.settings.httpBind, "127.0.0.1");
    EXPECT_EQ(read.settings.httpPort, 12531);
}

TEST(SettingsReader, HelpListsEverySettingWithItsDefault) {
    ServiceSettings defaults;
    SetDefaultSettings(defaults, 12531);
    const std::string help = SettingsHelp(defaults);
    for (const char* line :
         {"  http_port PORT\n", "(default: 12531)", "  http_bind ADDRESS\n",
          "(default: every interface)", "  api_level 0-3\n", "  users_file FILE\n",
          "  allow_origin *|ORIGIN,...\n", "(default: *)", "  config FILE\n",
          "  max_body_bytes BYTES\n", "(default: 1048576)", "  idle_timeout_ms MS\n",
          "(default: 5000)", "  max_connections N\n", "adduser USER[:LEVEL]"}) {
        EXPECT_NE(help.find(line), std::string::npos) << line;
    }
}

}  // namespace
