#include "ServiceSettings.h"

#include <cstdlib>
#include <cstring>

const char* const DEVICE_NAME = "Video for Linux Camera";
const char* const SERVICE_VERSION = "1.1.0";

void SetDefaultSettings(ServiceSettings& settings, int proposedPort) {
    settings.frameWidth = 640;
    settings.frameHeight = 480;
    settings.frameRate = 30;
    settings.httpPort = proposedPort > 0 ? proposedPort : 8001;
    settings.authDomain = "lumorax";
    settings.htRealmFile.clear();
    settings.documentRoot = "./web";
    settings.cameraTitle = DEVICE_NAME;
    settings.viewersGroup = UserGroup::Anyone;
    settings.httpBind.clear();
    settings.apiLevel = UserGroup::Anyone;
    settings.allowedOrigins.clear();
    settings.limits = WebLimits();
}

void ParseCommandLine(ServiceSettings& settings, int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i) {
        if (argv[i] == nullptr || std::strcmp(argv[i], "http_port") != 0) continue;
        if (i + 1 >= argc || argv[i + 1] == nullptr) break;
        settings.httpPort = static_cast<int>(std::strtol(argv[i + 1], nullptr, 10));
        ++i;
    }
}
