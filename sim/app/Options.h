#pragma once
// kiosk-sim's command line: options in three phases (settings, then devices in the
// order given, then tweaks of devices), "--", and the command to run.
//
// Adding a device kind is one entry in the table of DeviceKinds.cpp: a name, a
// metavariable, a help text, a phase and a function that turns one value into a
// device (or a setting) through the SimContext.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/SimContext.h"

namespace ksim::app {

enum class Phase { Setting, Device, Tweak };

struct OptionKind {
    std::string name;     // without the leading "--"
    std::string metavar;  // empty: a flag without a value
    std::string help;
    Phase phase;
    std::function<bool(const std::string& value, SimContext& ctx, std::string* error)> apply;
};

const std::vector<OptionKind>& optionKinds();

struct ParsedArgs {
    std::vector<std::pair<const OptionKind*, std::string>> options;
    std::vector<std::string> command;
    bool help = false;
    bool version = false;
};

bool parseArgs(int argc, char** argv, ParsedArgs& out, std::string* error);
bool applyOptions(const ParsedArgs& args, SimContext& ctx, std::string* error);
std::string usageText(const ControlActions& actions);

}  // namespace ksim::app
