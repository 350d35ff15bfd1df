#include "printer/PrinterFault.h"

#include "core/Hex.h"

namespace ksim::printer {

namespace {

struct KindName {
    FaultKind kind;
    const char* name;
    const char* help;
};

const KindName kKinds[] = {
    {FaultKind::Nak, "nak", "nak: DLE NAK instead of the reply; the command is not carried out"},
    {FaultKind::BadCrc, "bad_crc", "bad_crc: the reply's CRC is wrong"},
    {FaultKind::BadSequence, "bad_seq", "bad_seq: the reply's sequence number is one lower"},
    {FaultKind::WrongCommand, "wrong_cmd", "wrong_cmd: the reply answers another command code"},
    {FaultKind::Late, "late", "late: the reply comes ms later (default 6000)"},
    {FaultKind::Status, "status",
     "status: the reply's status byte is status (default 1), its data as usual"},
    {FaultKind::NoReply, "no_reply", "no_reply: the request is swallowed"},
    {FaultKind::Unplug, "unplug",
     "unplug: the cable is pulled as the request starts; back after ms if given"},
};

std::optional<unsigned long> number(const Json::Value& v, unsigned long max) {
    if (v.isUInt64() && v.asUInt64() <= max) return v.asUInt64();
    if (v.isString()) return parseNumber(v.asString(), max);
    return std::nullopt;
}

}  // namespace

std::string faultKindName(FaultKind kind) {
    for (const auto& k : kKinds) {
        if (k.kind == kind) return k.name;
    }
    return "?";
}

std::optional<Fault> parsePrinterFault(const Json::Value& request, std::string* error) {
    Fault f;
    const std::string kind = request["kind"].asString();
    bool known = false;
    for (const auto& k : kKinds) {
        if (kind == k.name) {
            f.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        *error = "unknown printer fault kind '" + kind + "'";
        return std::nullopt;
    }
    if (!request["count"].isNull()) {
        auto n = number(request["count"], 100000);
        if (!n) {
            *error = "\"count\" must be a number (0: until cleared)";
            return std::nullopt;
        }
        f.count = static_cast<int>(*n);
    }
    if (!request["cmd"].isNull()) {
        auto c = number(request["cmd"], 0xFF);
        if (!c) {
            *error = "\"cmd\" must be a command byte";
            return std::nullopt;
        }
        f.command = static_cast<uint8_t>(*c);
    }
    if (!request["status"].isNull()) {
        auto s = number(request["status"], 0xFF);
        if (!s) {
            *error = "\"status\" must be a byte";
            return std::nullopt;
        }
        f.status = static_cast<uint8_t>(*s);
    }
    if (request["ms"].isNumeric()) f.ms = request["ms"].asDouble();
    if (f.kind == FaultKind::Late && f.ms < 0) f.ms = 6000;
    return f;
}

Json::Value describe(const Fault& f) {
    Json::Value v;
    v["kind"] = faultKindName(f.kind);
    v["count"] = f.count;
    if (f.command) v["cmd"] = *f.command;
    if (f.ms >= 0) v["ms"] = f.ms;
    if (f.kind == FaultKind::Status) v["status"] = f.status;
    return v;
}

std::vector<std::string> printerFaultHelp() {
    std::vector<std::string> lines;
    for (const auto& k : kKinds) lines.push_back(k.help);
    return lines;
}

}  // namespace ksim::printer
