#include "board/Fault.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ksim::board {

namespace {

struct KindInfo {
    FaultKind kind;
    const char* name;
    const char* param;  // the member that fills Fault::value, or ""
    const char* help;
};

const KindInfo kKinds[] = {
    {FaultKind::NoReply, "no_reply", "", "swallow the request, no reply"},
    {FaultKind::BadCheck, "bad_check", "", "reply with a wrong check byte"},
    {FaultKind::WrongPackage, "wrong_package", "package",
     "first a reply with package number PACKAGE (default: low byte + 1), then the right one (MS "
     "later)"},
    {FaultKind::WrongCommand, "wrong_command", "command",
     "first a reply with command code COMMAND (default: code + 1), then the right one (MS later)"},
    {FaultKind::Stale, "stale", "",
     "first the board's previous reply again, then the right one (MS later)"},
    {FaultKind::State, "state", "state", "reply with state byte STATE (default 0x85)"},
    {FaultKind::CardStatus, "card_status", "sw",
     "append status word SW (hex, default 6A82) to the reply data; default cmd 0x0211/0x0311"},
    {FaultKind::Unplug, "unplug", "",
     "pull the cable instead of replying; plug back after MS (0: at once, a glitch "
     "a driver that reopens the board recovers from)"},
    {FaultKind::Delay, "delay", "", "send the reply MS milliseconds later"},
    {FaultKind::Junk, "junk", "", "send bytes HEX (default 11 22) before the reply (serial)"},
    {FaultKind::BadStuffing, "bad_stuffing", "value",
     "send VALUE (default 0x55) instead of the 00 after the first 0xAA of the reply"},
    {FaultKind::BadLength, "bad_length", "length", "write LENGTH into the reply's length field"},
    {FaultKind::Truncate, "truncate", "bytes", "send only the first BYTES bytes of the reply"},
};

const KindInfo* findKind(const std::string& name) {
    for (const auto& k : kKinds) {
        if (name == k.name) return &k;
    }
    return nullptr;
}

const KindInfo& info(FaultKind kind) {
    for (const auto& k : kKinds) {
        if (k.kind == kind) return k;
    }
    return kKinds[0];
}

std::optional<unsigned long> number(const Json::Value& v, unsigned long max) {
    if (v.isUInt64() && v.asUInt64() <= max) return v.asUInt64();
    if (v.isString()) return parseNumber(v.asString(), max);
    return std::nullopt;
}

}  // namespace

std::string faultKindName(FaultKind kind) {
    return info(kind).name;
}

std::optional<Fault> parseFault(const Json::Value& settings, std::string* error) {
    if (!settings.isObject() || !settings["kind"].isString()) {
        *error = "a fault needs a \"kind\"";
        return std::nullopt;
    }
    const KindInfo* k = findKind(settings["kind"].asString());
    if (!k) {
        *error = "unknown fault kind '" + settings["kind"].asString() + "'";
        return std::nullopt;
    }
    Fault f;
    f.kind = k->kind;
    for (const auto& key : settings.getMemberNames()) {
        const Json::Value& v = settings[key];
        if (key == "kind" || key == "action" || key == "board" || key == "id") continue;
        if (key == "count") {
            auto n = number(v, 1000000);
            if (!n) {
                *error = "count must be a number";
                return std::nullopt;
            }
            f.count = static_cast<int>(*n);
        } else if (key == "cmd") {
            auto n = number(v, 0xFFFF);
            if (!n) {
                *error = "cmd must be a 16-bit number";
                return std::nullopt;
            }
            f.command = static_cast<uint16_t>(*n);
        } else if (key == "ms") {
            if (!v.isNumeric() || v.asDouble() < 0) {
                *error = "ms must be a number of milliseconds";
                return std::nullopt;
            }
            f.ms = v.asDouble();
        } else if (key == "hex" && k->kind == FaultKind::Junk) {
            auto b = v.isString() ? parseHex(v.asString()) : std::nullopt;
            if (!b || b->empty()) {
                *error = "hex must be hex bytes";
                return std::nullopt;
            }
            f.bytes = *b;
        } else if (key == "sw" && k->kind == FaultKind::CardStatus) {
            auto b = v.isString() ? parseHex(v.asString()) : std::nullopt;
            if (!b || b->size() != 2) {
                *error = "sw must be two hex bytes, e.g. 6A82";
                return std::nullopt;
            }
            f.value = static_cast<uint16_t>((*b)[0] << 8 | (*b)[1]);
        } else if (key == k->param) {
            unsigned long max =
                k->kind == FaultKind::State || k->kind == FaultKind::BadStuffing ? 0xFF : 0xFFFF;
            auto n = number(v, max);
            if (!n) {
                *error = key + " is out of range";
                return std::nullopt;
            }
            f.value = static_cast<uint16_t>(*n);
        } else {
            *error = "fault " + std::string(k->name) + " takes no '" + key + "'";
            return std::nullopt;
        }
    }
    if (f.kind == FaultKind::Delay && f.ms < 0) {
        *error = "delay needs ms";
        return std::nullopt;
    }
    if (f.kind == FaultKind::Junk && f.bytes.empty()) f.bytes = {0x11, 0x22};
    return f;
}

std::optional<Fault> parseFaultText(const std::string& text, std::string* error) {
    Json::Value settings(Json::objectValue);
    std::stringstream in(text);
    std::string item;
    bool first = true;
    while (std::getline(in, item, ',')) {
        if (first) {
            settings["kind"] = item;
            first = false;
            continue;
        }
        auto eq = item.find('=');
        if (eq == std::string::npos) {
            *error = "fault setting '" + item + "' is not key=value";
            return std::nullopt;
        }
        std::string key = item.substr(0, eq);
        std::string value = item.substr(eq + 1);
        char* end = nullptr;
        double ms = std::strtod(value.c_str(), &end);
        if (key == "ms" && !value.empty() && *end == '\0') {
            settings[key] = ms;
        } else {
            settings[key] = value;
        }
    }
    return parseFault(settings, error);
}

Json::Value describe(const Fault& f) {
    auto hex = [](unsigned v) {
        char buf[8];
        snprintf(buf, sizeof buf, "0x%04X", v);
        return std::string(buf);
    };
    Json::Value v;
    v["kind"] = faultKindName(f.kind);
    v["count"] = f.count;
    if (f.command) v["cmd"] = hex(*f.command);
    if (f.value) v[*info(f.kind).param ? info(f.kind).param : "value"] = hex(*f.value);
    if (f.ms >= 0) v["ms"] = f.ms;
    if (!f.bytes.empty()) v["hex"] = toHex(f.bytes);
    return v;
}

std::vector<std::string> faultHelp() {
    std::vector<std::string> lines;
    for (const auto& k : kKinds) lines.push_back(std::string(k.name) + ": " + k.help);
    return lines;
}

}  // namespace ksim::board
