#include "SettingsReader.h"

#include <boost/asio/ip/address.hpp>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>

#include "RequestPolicy.h"

namespace {

// A configuration file is a few lines; anything far larger is a mistake.
constexpr size_t kMaxConfigBytes = 64 * 1024;
constexpr size_t kMaxConfigLine = 4096;
constexpr unsigned long long kMaxBytes = 1ULL << 40;
constexpr unsigned long long kMaxMilliseconds = 24ULL * 3600 * 1000;

using Apply = std::function<bool(ServiceSettings&, const std::string&, std::string&)>;
using Show = std::function<std::string(const ServiceSettings&)>;

struct Setting {
    const char* name;
    const char* value;
    const char* meaning;
    Apply apply;
    Show show;
};

// A whole decimal number from 1 to max; the error names the setting.
bool PositiveNumber(const std::string& name, const std::string& text, unsigned long long max,
                    unsigned long long& value, std::string& error) {
    const bool digits = !text.empty() && text.size() <= 20 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    errno = 0;
    value = digits ? std::strtoull(text.c_str(), nullptr, 10) : 0;
    if (!digits || errno == ERANGE || value == 0 || value > max) {
        error = "setting \"" + name + "\": \"" + text + "\" is not a number from 1 to " +
                std::to_string(max);
        return false;
    }
    return true;
}

Setting Size(const char* name, const char* unit, const char* meaning, size_t WebLimits::*field,
             unsigned long long max = kMaxBytes) {
    return {name, unit, meaning,
            [name, field, max](ServiceSettings& s, const std::string& text, std::string& error) {
                unsigned long long value = 0;
                if (!PositiveNumber(name, text, max, value, error)) return false;
                s.limits.*field = static_cast<size_t>(value);
                return true;
            },
            [field](const ServiceSettings& s) { return std::to_string(s.limits.*field); }};
}

Setting Milliseconds(const char* name, const char* meaning, WebLimits::Duration WebLimits::*field) {
    return {
        name, "MS", meaning,
        [name, field](ServiceSettings& s, const std::string& text, std::string& error) {
            unsigned long long value = 0;
            if (!PositiveNumber(name, text, kMaxMilliseconds, value, error)) return false;
            s.limits.*field = WebLimits::Duration(value);
            return true;
        },
        [field](const ServiceSettings& s) { return std::to_string((s.limits.*field).count()); }};
}

std::string JoinOrigins(const std::vector<std::string>& origins) {
    if (origins.empty()) return "*";
    std::string joined;
    for (const std::string& origin : origins) joined += (joined.empty() ? "" : ",") + origin;
    return joined;
}

const std::vector<Setting>& Settings() {
    static const std::vector<Setting> table = {
        {"http_port", "PORT", "TCP port to listen on; above 65535 the low 16 bits are used",
         [](ServiceSettings& s, const std::string& text, std::string&) {
             s.httpPort = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
             return true;
         },
         [](const ServiceSettings& s) { return std::to_string(s.httpPort); }},
        {"http_bind", "ADDRESS",
         "IPv4 or IPv6 address to listen on; on a loopback address requests whose Host is "
         "not a loopback name or address are refused with 403",
         [](ServiceSettings& s, const std::string& text, std::string& error) {
             boost::system::error_code ec;
             boost::asio::ip::make_address(text, ec);
             if (ec) {
                 error = "setting \"http_bind\": \"" + text + "\" is not an IP address";
                 return false;
             }
             s.httpBind = text;
             return true;
         },
         [](const ServiceSettings& s) {
             return s.httpBind.empty() ? std::string("every interface") : s.httpBind;
         }},
        {"api_level", "0-3",
         "access level the /api/call_method/ routes require; above 0 they need Digest or "
         "Basic credentials of a user of at least that level from users_file",
         [](ServiceSettings& s, const std::string& text, std::string& error) {
             if (text.size() != 1 || text[0] < '0' || text[0] > '3') {
                 error = "setting \"api_level\": \"" + text + "\" is not 0, 1, 2 or 3";
                 return false;
             }
             s.apiLevel = static_cast<UserGroup>(text[0] - '0');
             return true;
         },
         [](const ServiceSettings& s) { return std::to_string(static_cast<int>(s.apiLevel)); }},
        {"users_file", "FILE",
         "users file, one name:realm:md5(name:realm:password)[:level] line a user "
         "(devhttpd adduser writes one)",
         [](ServiceSettings& s, const std::string& text, std::string&) {
             s.htRealmFile = text;
             return true;
         },
         [](const ServiceSettings& s) {
             return s.htRealmFile.empty() ? std::string("none") : s.htRealmFile;
         }},
        {"allow_origin", "*|ORIGIN,...",
         "Access-Control-Allow-Origin of the method replies; with a list of origins only a "
         "listed Origin is echoed and requests from other origins are refused with 403",
         [](ServiceSettings& s, const std::string& text, std::string& error) {
             std::vector<std::string> origins;
             if (!ParseOriginList(text, origins, error)) {
                 error = "setting \"allow_origin\": " + error;
                 return false;
             }
             s.allowedOrigins = origins;
             return true;
         },
         [](const ServiceSettings& s) { return JoinOrigins(s.allowedOrigins); }},
        Size("max_header_bytes", "BYTES", "request line and headers together",
             &WebLimits::headerBytes, std::numeric_limits<uint32_t>::max()),
        Size("max_body_bytes", "BYTES", "body of one request", &WebLimits::bodyBytes),
        Size("body_budget_bytes", "BYTES", "bodies of all connections at once; over it 503",
             &WebLimits::bodyBudgetBytes),
        Milliseconds("header_timeout_ms", "first byte of a request to the end of its headers",
                     &WebLimits::headerTime),
        Milliseconds("body_timeout_ms", "end of the headers to the end of the body",
                     &WebLimits::bodyTime),
        Milliseconds("idle_timeout_ms", "a connection waiting for its next request",
                     &WebLimits::idleTime),
        Milliseconds("write_timeout_ms", "one write of a reply to a client", &WebLimits::writeTime),
        Size("max_connections", "N", "open connections; at the limit the longest idle is closed",
             &WebLimits::connections, 1000000),
        Size("ws_queue_bytes", "BYTES", "frames queued for one WebSocket client",
             &WebLimits::webSocketQueueBytes),
        Milliseconds("ws_idle_timeout_ms", "a WebSocket client that answers no ping",
                     &WebLimits::webSocketIdleTime),
    };
    return table;
}

const Setting* FindSetting(const std::string& name) {
    for (const Setting& setting : Settings()) {
        if (name == setting.name) return &setting;
    }
    return nullptr;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

bool ApplySetting(ServiceSettings& settings, const std::string& name, const std::string& value,
                  std::string& error) {
    const Setting* setting = FindSetting(name);
    if (setting == nullptr) {
        error = "unknown setting \"" + name + "\" (devhttpd --help lists the settings)";
        return false;
    }
    return setting->apply(settings, value, error);
}

bool ReadConfigFile(ServiceSettings& settings, const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "config file \"" + path + "\" cannot be read: " + std::strerror(errno);
        return false;
    }
    std::string line;
    size_t number = 0;
    size_t total = 0;
    while (std::getline(file, line)) {
        ++number;
        total += line.size() + 1;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (total > kMaxConfigBytes || line.size() > kMaxConfigLine) {
            error = where + "file or line too long";
            return false;
        }
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#') continue;
        const size_t equals = text.find('=');
        if (equals == std::string::npos) {
            error = where + "expected \"name = value\", got \"" + text + "\"";
            return false;
        }
        const std::string name = Trim(text.substr(0, equals));
        const std::string value = Trim(text.substr(equals + 1));
        if (name == "config") {
            error = where + "a config file cannot name another";
            return false;
        }
        if (!ApplySetting(settings, name, value, error)) {
            error = where + error;
            return false;
        }
    }
    if (file.bad()) {
        error = "config file \"" + path + "\" cannot be read";
        return false;
    }
    return true;
}

SettingsRequest ReadSettings(ServiceSettings& settings, int argc, const char* const* argv) {
    SettingsRequest request;
    auto fail = [&request](std::string error) {
        request.action = SettingsRequest::Action::Error;
        request.error = std::move(error);
        return request;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i] != nullptr ? argv[i] : "";
        if (name == "--help" || name == "-h") {
            request.action = SettingsRequest::Action::Help;
            return request;
        }
        if (name == "--version") {
            request.action = SettingsRequest::Action::Version;
            return request;
        }
        const bool hasValue = i + 1 < argc && argv[i + 1] != nullptr;
        if (!hasValue) {
            // A last "http_port" without its value leaves the port, as it always did.
            if (name == "http_port") break;
            if (name == "config" || name == "adduser" || FindSetting(name) != nullptr) {
                return fail("setting \"" + name + "\" needs a value");
            }
            return fail("unknown setting \"" + name + "\" (devhttpd --help lists the settings)");
        }
        const std::string value = argv[++i];
        std::string error;
        if (name == "config") {
            if (!ReadConfigFile(settings, value, error)) return fail(error);
        } else if (name == "adduser") {
            request.action = SettingsRequest::Action::AddUser;
            request.newUser = value;
        } else if (!ApplySetting(settings, name, value, error)) {
            return fail(error);
        }
    }
    return request;
}

std::string SettingsHelp(const ServiceSettings& defaults) {
    std::string text =
        "Usage: devhttpd [NAME VALUE]...\n"
        "       devhttpd [NAME VALUE]... adduser USER[:LEVEL]\n"
        "       devhttpd --help | --version\n"
        "\n"
        "Serves the device SDK over HTTP until SIGTERM or SIGINT.\n"
        "\"adduser\" reads a password from the terminal (or one line of standard input)\n"
        "and appends the user's line to users_file, or prints it when none is set.\n"
        "\n"
        "Settings, each also a \"NAME = VALUE\" line of a file given with \"config FILE\"\n"
        "(# begins a comment line; later settings override earlier ones):\n";
    text += "  config FILE\n      reads the settings of FILE at this point\n";
    for (const Setting& setting : Settings()) {
        text += std::string("  ") + setting.name + " " + setting.value + "\n      " +
                setting.meaning + " (default: " + setting.show(defaults) + ")\n";
    }
    return text;
}
