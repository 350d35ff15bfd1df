#include "board/Board.h"

#include <algorithm>
#include <cstdio>

#include "board/CommandSet.h"
#include "board/InfoBlock.h"
#include "core/EventLoop.h"

namespace ksim::board {

namespace {

std::string hex4(unsigned v) {
    char buf[8];
    snprintf(buf, sizeof buf, "%04X", v & 0xFFFF);
    return buf;
}

bool isCardCommand(uint16_t command) {
    return command == 0x0211 || command == 0x0311;
}

bool matches(const Fault& f, const Request& r) {
    if (f.command) return *f.command == r.command;
    if (f.kind == FaultKind::CardStatus) return isCardCommand(r.command);
    return true;
}

}  // namespace

std::optional<std::pair<uint16_t, Answer>> parseCannedReply(const std::string& text,
                                                            std::string* error) {
    auto eq = text.find('=');
    if (eq == std::string::npos) {
        *error = "reply '" + text + "' is not CODE=STATE[:HEX][@MS]";
        return std::nullopt;
    }
    auto code = parseHexNumber(text.substr(0, eq), 0xFFFF);
    if (!code) {
        *error = "command code '" + text.substr(0, eq) + "' is not 16-bit hex";
        return std::nullopt;
    }
    std::string rest = text.substr(eq + 1);
    Answer a;
    auto at = rest.find('@');
    if (at != std::string::npos) {
        auto ms = parseNumber(rest.substr(at + 1), 3600000);
        if (!ms) {
            *error = "delay '" + rest.substr(at + 1) + "' is not milliseconds";
            return std::nullopt;
        }
        a.ms = static_cast<double>(*ms);
        rest = rest.substr(0, at);
    }
    auto colon = rest.find(':');
    auto state = parseHexNumber(rest.substr(0, colon), 0xFF);
    if (!state) {
        *error = "state '" + rest.substr(0, colon) + "' is not a hex byte";
        return std::nullopt;
    }
    a.state = static_cast<uint8_t>(*state);
    if (colon != std::string::npos) {
        auto data = parseHex(rest.substr(colon + 1));
        if (!data) {
            *error = "reply data '" + rest.substr(colon + 1) + "' is not hex";
            return std::nullopt;
        }
        a.data = *data;
    }
    return std::make_pair(static_cast<uint16_t>(*code), a);
}

Board::Board(int index, BoardConfig config, double speed, Journal& journal)
    : index_(index), config_(std::move(config)), speed_(speed), journal_(journal) {
    installIdentification();
}

void Board::installIdentification() {
    auto plain = [](Bytes data) {
        return [data](Board&, const Request&) { return Answer{0, data, 0}; };
    };
    setHandler(0x3001, plain({}));
    // The clear a bench script sends after a failed test: nothing to report.
    setHandler(0x0302, plain({}));
    Bytes type(8, 0);
    type[7] = config_.deviceType;
    setHandler(0x100B, plain(type));
    setHandler(0x0104, plain(Bytes(config_.name.begin(), config_.name.end())));
    setHandler(0x0106, plain(config_.firmware32));
    setHandler(0x0105, plain(Bytes(config_.firmware.begin(), config_.firmware.end())));
    setHandler(0x1008, [](Board& b, const Request& r) {
        // Flash read: address 0 (or none) is the information block; the rest is blank.
        bool block = r.data.empty() || r.data[0] == 0x00;
        return Answer{0, block ? infoBlock(b.config_) : Bytes(64, 0xFF), 0};
    });
    setHandler(0x0601, [](Board& b, const Request& r) {
        if (r.data != Bytes{0xFF, 0x01}) {
            b.journal_.note(b.name(), "notice", "address probe with data " + toHex(r.data));
        }
        return Answer{0, {b.config_.address}, 0};
    });
    setHandler(0x1002, [](Board& b, const Request& r) {
        // Three parameter bytes (00, a, b) make it a motor step; otherwise a sensor read.
        if (r.data.size() == 3) return Answer{};
        return Answer{0, b.sensors_, 0};
    });
}

void Board::setHandler(uint16_t command, Handler handler) {
    handlers_[command] = std::move(handler);
}

void Board::setCanned(uint16_t command, Answer answer) {
    journal_.note(name(), "canned",
                  "command " + hex4(command) + " answers state " + toHex(&answer.state, 1) +
                      (answer.data.empty() ? "" : " data " + toHex(answer.data)));
    canned_[command] = std::move(answer);
}

void Board::clearCanned(uint16_t command) {
    canned_.erase(command);
}

void Board::addFault(Fault fault) {
    journal_.note(name(), "fault_armed", compactJson(describe(fault)));
    faults_.push_back(std::move(fault));
}

void Board::clearFaults() {
    faults_.clear();
}

void Board::setSensors(Bytes sensors) {
    journal_.change(name(), "sensors " + toHex(sensors_) + " -> " + toHex(sensors));
    sensors_ = std::move(sensors);
}

Answer Board::refuse(const Request& request, uint8_t state, const std::string& why) {
    journal_.note(name(), "refused",
                  "command " + hex4(request.command) + " " + why + ": state " + toHex(&state, 1));
    return Answer{state, {}, 0};
}

Answer Board::unknownCommand(const Request& request) {
    if (!strict_) return Answer{};
    return refuse(request, kStateUnknownCommand, "is not in this board's command set");
}

Answer Board::answer(const Request& request) {
    // A canned answer stands for firmware that has the command, whatever its data.
    auto canned = canned_.find(request.command);
    if (canned != canned_.end()) return canned->second;
    auto handler = handlers_.find(request.command);
    if (handler == handlers_.end()) return unknownCommand(request);
    const LengthRule* rule = lengthRule(request.command);
    if (strict_ && rule && !rule->accepts(request.data.size())) {
        return refuse(
            request, kStateBadLength,
            "takes " + rule->text() + " of data, not " + std::to_string(request.data.size()));
    }
    return handler->second(*this, request);
}

Response Board::onRequest(const Request& request) {
    Answer a = answer(request);
    Reply reply{request.package, request.command, a.state, a.data};
    Response response;
    ReplyDamage damage;
    std::optional<size_t> truncateTo;
    double extraMs = 0;
    // Time between the extra frames (wrong package, wrong command, stale) and the reply.
    double afterExtraMs = 0;
    bool swallow = false;
    std::vector<Emission> before;

    for (auto it = faults_.begin(); it != faults_.end();) {
        Fault& f = *it;
        if (!matches(f, request)) {
            ++it;
            continue;
        }
        journal_.note(name(), "fault",
                      faultKindName(f.kind) + " on command " + hex4(request.command));
        switch (f.kind) {
            case FaultKind::NoReply:
                swallow = true;
                break;
            case FaultKind::Unplug:
                response.unplug = true;
                response.replugMs = f.ms;
                break;
            case FaultKind::State:
                reply.state = static_cast<uint8_t>(f.value.value_or(0x85));
                break;
            case FaultKind::CardStatus: {
                // Replaces the card's own status word; without one (lenient) it is added.
                uint16_t sw = f.value.value_or(0x6A82);
                if (a.statusWord && reply.data.size() >= 2)
                    reply.data.resize(reply.data.size() - 2);
                reply.data.push_back(static_cast<uint8_t>(sw >> 8));
                reply.data.push_back(static_cast<uint8_t>(sw & 0xFF));
                break;
            }
            case FaultKind::Delay:
                extraMs += f.ms;
                break;
            case FaultKind::BadCheck:
                damage.wrongCheck = true;
                break;
            case FaultKind::BadStuffing:
                damage.stuffingByte = static_cast<uint8_t>(f.value.value_or(0x55));
                break;
            case FaultKind::BadLength:
                damage.lengthField = f.value.value_or(0);
                break;
            case FaultKind::Truncate:
                truncateTo = f.value.value_or(4);
                break;
            case FaultKind::WrongPackage: {
                Reply other = reply;
                uint16_t next = static_cast<uint16_t>((request.package & 0xFF00) |
                                                      ((request.package + 1) & 0xFF));
                other.package = f.value.value_or(next);
                before.push_back(
                    {encodeReply(other), 0, "reply with package " + hex4(other.package)});
                afterExtraMs = std::max(afterExtraMs, f.ms);
                break;
            }
            case FaultKind::WrongCommand: {
                Reply other = reply;
                other.command = f.value.value_or(static_cast<uint16_t>(request.command + 1));
                before.push_back(
                    {encodeReply(other), 0, "reply with command " + hex4(other.command)});
                afterExtraMs = std::max(afterExtraMs, f.ms);
                break;
            }
            case FaultKind::Stale: {
                Reply old = lastReply_.value_or(reply);
                if (!lastReply_) {
                    old.package = static_cast<uint16_t>((request.package & 0xFF00) |
                                                        ((request.package - 1) & 0xFF));
                }
                before.push_back(
                    {encodeReply(old), 0, "stale reply, package " + hex4(old.package)});
                afterExtraMs = std::max(afterExtraMs, f.ms);
                break;
            }
            case FaultKind::Junk:
                before.insert(before.begin(), Emission{f.bytes, 0, "junk"});
                break;
        }
        if (f.count > 0 && --f.count == 0) {
            it = faults_.erase(it);
        } else {
            ++it;
        }
    }
    if (swallow || response.unplug) return response;

    lastReply_ = reply;
    double delay = a.ms * speed_ + extraMs;
    Bytes wire = encodeReply(reply, damage);
    if (truncateTo && *truncateTo < wire.size()) wire.resize(*truncateTo);
    for (auto& e : before) {
        e.delayMs = delay;
        response.emissions.push_back(std::move(e));
    }
    response.emissions.push_back({std::move(wire), delay + afterExtraMs, "reply"});
    return response;
}

Json::Value Board::status() const {
    Json::Value v;
    v["board"] = index_;
    v["name"] = name();
    v["strict"] = strict_;
    v["settings"] = describe(config_);
    v["sensors"] = toHex(sensors_);
    Json::Value faults(Json::arrayValue);
    for (const auto& f : faults_) faults.append(describe(f));
    v["faults"] = faults;
    Json::Value canned(Json::objectValue);
    for (const auto& c : canned_) {
        canned[hex4(c.first)] =
            toHex(&c.second.state, 1) + (c.second.data.empty() ? "" : ":" + toHex(c.second.data));
    }
    v["replies"] = canned;
    return v;
}

void scheduleEmissions(EventLoop& loop, const Response& response,
                       const std::function<void(const Emission&)>& send) {
    for (const auto& e : response.emissions) {
        if (e.delayMs <= 0) {
            send(e);
        } else {
            loop.postAfter(e.delayMs, [send, e] { send(e); });
        }
    }
}

}  // namespace ksim::board
