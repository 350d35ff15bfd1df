// The settings of the HTTP device service and their built-in defaults; the
// named settings are read by SettingsReader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IWebRequestHandler.h"
#include "WebLimits.h"

extern const char* const DEVICE_NAME;
// The "version" of /version and of devhttpd --version.
extern const char* const SERVICE_VERSION;

struct ServiceSettings {
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;
    uint32_t frameRate = 0;
    int httpPort = 0;
    std::string authDomain;
    std::string htRealmFile;
    std::string documentRoot;
    std::string cameraTitle;
    UserGroup viewersGroup = UserGroup::Anyone;
    // Address to listen on; empty listens on every IPv4 interface.
    std::string httpBind;
    // Level the method routes require.
    UserGroup apiLevel = UserGroup::Anyone;
    // Origins whose requests are answered with their own origin; empty keeps "*".
    std::vector<std::string> allowedOrigins;
    WebLimits limits;
};

// The defaults, with the port the SDK proposes (8001 when it proposes none).
void SetDefaultSettings(ServiceSettings& settings, int proposedPort);

// Applies every "http_port" argument, the last one winning; a value that is
// not a number gives 0, and a missing value leaves the port as it was.
void ParseCommandLine(ServiceSettings& settings, int argc, const char* const* argv);
