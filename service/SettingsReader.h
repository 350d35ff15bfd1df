// Named settings of devhttpd, from the command line ("name value" pairs) and
// from configuration files ("name = value" lines). Every name is checked: an
// unknown one, or a value a setting cannot take, is an error naming it.
#pragma once

#include <string>

#include "ServiceSettings.h"

struct SettingsRequest {
    enum class Action { Serve, Help, Version, AddUser, Error };
    Action action = Action::Serve;
    std::string error;    // for Error: what is wrong, naming the setting
    std::string newUser;  // for AddUser: "name" or "name:level"
};

// Reads argv[1..] in order; "config FILE" applies the file where it stands,
// so later arguments override it. "http_port" keeps its old reading: a value
// that is not a number gives 0, a missing last value leaves the port.
SettingsRequest ReadSettings(ServiceSettings& settings, int argc, const char* const* argv);

// Applies the settings of one configuration file; false with error naming
// the file, the line and the setting.
bool ReadConfigFile(ServiceSettings& settings, const std::string& path, std::string& error);

// Applies one named setting; false with error when the name is unknown or the
// value does not fit.
bool ApplySetting(ServiceSettings& settings, const std::string& name, const std::string& value,
                  std::string& error);

// The usage text: commands, and every setting with its meaning and its value
// in defaults.
std::string SettingsHelp(const ServiceSettings& defaults);
