// The settings of the HTTP device service: built-in defaults and the port
// taken from the command line.
#pragma once

#include <cstdint>
#include <string>

#include "IWebRequestHandler.h"

extern const char* const DEVICE_NAME;

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
};

// The defaults, with the port the SDK proposes (8001 when it proposes none).
void SetDefaultSettings(ServiceSettings& settings, int proposedPort);

// Applies every "http_port" argument, the last one winning; a value that is
// not a number gives 0, and a missing value leaves the port as it was.
void ParseCommandLine(ServiceSettings& settings, int argc, const char* const* argv);
