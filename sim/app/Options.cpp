#include "app/Options.h"

#include <cstring>

#include "board/CommandSet.h"
#include "board/Fault.h"
#include "board/mechanism/Mechanisms.h"

namespace ksim::app {

namespace {

const OptionKind* findOption(const std::string& name) {
    for (const auto& k : optionKinds()) {
        if (k.name == name) return &k;
    }
    return nullptr;
}

std::string wrap(const std::string& text, size_t indent, size_t width) {
    std::string out, line;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t space = text.find(' ', pos);
        std::string word =
            text.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
        pos = space == std::string::npos ? text.size() : space + 1;
        if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
            out += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
    return out;
}

}  // namespace

bool parseArgs(int argc, char** argv, ParsedArgs& out, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            for (int j = i + 1; j < argc; ++j) out.command.push_back(argv[j]);
            break;
        }
        if (arg == "-h" || arg == "--help") {
            out.help = true;
            continue;
        }
        if (arg == "--version") {
            out.version = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            // The command may also follow the options without "--".
            for (int j = i; j < argc; ++j) out.command.push_back(argv[j]);
            break;
        }
        std::string name = arg.substr(2), value;
        auto eq = name.find('=');
        bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const OptionKind* kind = findOption(name);
        if (!kind) {
            *error = "unknown option --" + name;
            return false;
        }
        if (kind->metavar.empty()) {
            if (inlineValue) {
                *error = "--" + name + " takes no value";
                return false;
            }
        } else if (!inlineValue) {
            if (i + 1 >= argc) {
                *error = "--" + name + " needs " + kind->metavar;
                return false;
            }
            value = argv[++i];
        }
        out.options.emplace_back(kind, value);
    }
    return true;
}

bool applyOptions(const ParsedArgs& args, SimContext& ctx, std::string* error) {
    for (Phase phase : {Phase::Setting, Phase::Device, Phase::Tweak}) {
        for (const auto& [kind, value] : args.options) {
            if (kind->phase != phase) continue;
            std::string why;
            if (!kind->apply(value, ctx, &why)) {
                *error = "--" + kind->name + " " + value + ": " + why;
                return false;
            }
        }
    }
    return true;
}

std::string usageText(const ControlActions& actions) {
    std::string t;
    t += "Usage: kiosk-sim [OPTIONS] -- COMMAND [ARG...]\n\n";
    t += wrap(
        "Simulates the kiosk's devices and runs COMMAND under them: mechanism boards on "
        "USB (through umockdev: COMMAND sees them through the ordinary libusb) and on "
        "serial lines (pseudo-terminals). Exits with COMMAND's status (128+N when a "
        "signal N ended it). Without COMMAND the devices stay up until SIGINT or SIGTERM.",
        0, 80);
    t += "\nOptions:\n";
    for (const auto& k : optionKinds()) {
        t += "  --" + k.name + (k.metavar.empty() ? "" : " " + k.metavar) + "\n";
        t += wrap(k.help, 6, 80);
    }
    t += "  -h, --help\n      show this text\n  --version\n      show the version\n";
    t += "\nBoard answers:\n";
    t += wrap(
        "Every board answers its identification commands (3001, 100B with the type in "
        "byte 7, 0104 name, 0106, 0105 firmware date, 1008 information block), the "
        "address probe 0601 (with addr), and 1002 with its sensor bytes (default 01 01 "
        "01: no card). The card commands 0211 and 0311 pass their data to the card in "
        "the reader as an APDU and end the reply with its status word: 90 00 with a "
        "card at the reader station (station 2), 67 00 for an APDU that is not "
        "CLA INS P1 P2 [Lc data] [Le], 6A 82 without a card (a card_status fault "
        "replaces it). Strict (the default), the board refuses as its firmware does, "
        "with no data: state 01 for a command outside its command set (the transfer "
        "module commands 4008 4009 400A 400D on models without one; 400D and 400A "
        "also on firmware before 20180815), state 02 for data of a length the command "
        "does not take. The command set with the data lengths: " +
            board::commandSetHelp() +
            " Mode bytes left out mean the mode of the last 4003. A --reply or control "
            "socket answer stands for firmware that has the command and is given whatever "
            "the data. --lenient answers every other command with state 00 and no data, "
            "checks no lengths and adds no status word.",
        2, 80);
    t += "\nCard mechanism:\n";
    t += wrap(board::mechanism::helpText(), 2, 80);
    t += "\nFault kinds (--fault and the \"fault\" action; keys: count=N, 0 = until cleared, "
         "default 1;\ncmd=CODE to hit only that command):\n";
    for (const auto& line : board::faultHelp()) t += wrap(line, 2, 80);
    t += "\nControl socket (--control PATH): one JSON object per line. Boards are numbered\n"
         "from 0 over --board and --serial in the order given (\"board\", default 0).\n"
         "Every request gets {\"event\":\"result\",\"ok\":...,\"id\":...}. Actions:\n";
    for (const auto& line : actions.help()) t += wrap(line, 2, 80);
    t += wrap(
        "Events sent to every client: ready (the devices), frame (device, dir "
        "in|out, layer, hex, note), change (physical changes), fault, fault_armed, "
        "plugged, unplugged, protocol_error, protocol_warning, notice, error, child_exit "
        "(status).",
        0, 80);
    t += "\nEnvironment given to COMMAND: LD_PRELOAD (umockdev's preload first), UMOCKDEV_DIR,\n"
         "KIOSK_SIM_CONTROL (the control socket path, when set), and ASAN_OPTIONS with\n"
         "verify_asan_link_order=0 so sanitizer builds run under the preload.\n";
    t += "\nExamples:\n"
         "  kiosk-sim --board 09 --board 09,addr=5 -- ./my-driver-test\n"
         "  kiosk-sim --speed 0 --serial COM3:02 --reply 4001=00 --log - -- devconsole\n"
         "  kiosk-sim --board 88 --fault 0:no_reply,cmd=0x1002 --control /tmp/k.sock -- app\n";
    return t;
}

}  // namespace ksim::app
