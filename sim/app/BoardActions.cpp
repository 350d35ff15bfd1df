// Control-socket actions on boards and on the simulator.
#include "app/SimContext.h"

namespace ksim::app {

namespace {

std::optional<unsigned long> number(const Json::Value& v, unsigned long max) {
    if (v.isUInt64() && v.asUInt64() <= max) return v.asUInt64();
    if (v.isString()) return parseNumber(v.asString(), max);
    return std::nullopt;
}

double replugMs(const Json::Value& req) {
    return req["ms"].isNumeric() ? req["ms"].asDouble() : -1;
}

}  // namespace

BoardSlot* slotOf(SimContext& ctx, const Json::Value& req, std::string& error) {
    const Json::Value& b = req["board"];
    unsigned long index = 0;
    if (!b.isNull()) {
        auto n = number(b, 1000);
        if (!n) {
            error = "\"board\" must be a board number";
            return nullptr;
        }
        index = *n;
    }
    if (index >= ctx.boards.size()) {
        error = "no board " + std::to_string(index);
        return nullptr;
    }
    return &ctx.boards[index];
}

void registerBoardActions(SimContext& ctx) {
    SimContext* c = &ctx;
    ctx.actions.add(
        "reply",
        "{\"action\":\"reply\",\"board\":0,\"cmd\":\"0x4001\",\"state\":0,\"hex\":\"0102\","
        "\"ms\":300}: canned answer of a command (\"clear\":true removes it)",
        [c](const Json::Value& req, Json::Value&, std::string& error) {
            BoardSlot* s = slotOf(*c, req, error);
            if (!s) return false;
            auto cmd = number(req["cmd"], 0xFFFF);
            if (!cmd) {
                error = "\"cmd\" must be a 16-bit command code";
                return false;
            }
            if (req["clear"].asBool()) {
                s->board->clearCanned(static_cast<uint16_t>(*cmd));
                return true;
            }
            board::Answer a;
            auto state = req["state"].isNull() ? std::optional<unsigned long>(0)
                                               : number(req["state"], 0xFF);
            if (!state) {
                error = "\"state\" must be a byte";
                return false;
            }
            a.state = static_cast<uint8_t>(*state);
            if (req["hex"].isString()) {
                auto data = parseHex(req["hex"].asString());
                if (!data) {
                    error = "\"hex\" must be hex bytes";
                    return false;
                }
                a.data = *data;
            }
            if (req["ms"].isNumeric()) a.ms = req["ms"].asDouble();
            s->board->setCanned(static_cast<uint16_t>(*cmd), a);
            return true;
        });
    ctx.actions.add(
        "fault",
        "{\"action\":\"fault\",\"board\":0,\"kind\":\"no_reply\",\"count\":1,\"cmd\":\"0x1002\"}"
        ": arm a fault (kinds above; their keys as members)",
        [c](const Json::Value& req, Json::Value&, std::string& error) {
            BoardSlot* s = slotOf(*c, req, error);
            if (!s) return false;
            auto fault = board::parseFault(req, &error);
            if (!fault) return false;
            s->board->addFault(*fault);
            return true;
        });
    ctx.actions.add("clear_faults",
                    "{\"action\":\"clear_faults\",\"board\":0}: drop the faults not yet used",
                    [c](const Json::Value& req, Json::Value&, std::string& error) {
                        BoardSlot* s = slotOf(*c, req, error);
                        if (!s) return false;
                        s->board->clearFaults();
                        return true;
                    });
    ctx.actions.add(
        "unplug",
        "{\"action\":\"unplug\",\"board\":0,\"ms\":500}: pull the board's cable; with \"ms\" it "
        "is put back after that many milliseconds (0: at once, a short glitch)",
        [c](const Json::Value& req, Json::Value&, std::string& error) {
            BoardSlot* s = slotOf(*c, req, error);
            if (!s) return false;
            s->unplug(replugMs(req));
            return true;
        });
    ctx.actions.add("plug", "{\"action\":\"plug\",\"board\":0}: put the cable back",
                    [c](const Json::Value& req, Json::Value&, std::string& error) {
                        BoardSlot* s = slotOf(*c, req, error);
                        if (!s) return false;
                        s->plug();
                        return true;
                    });
    ctx.actions.add(
        "sensors",
        "{\"action\":\"sensors\",\"board\":0,\"hex\":\"000101\"}: set the sensor bytes the "
        "board reports (lowest bit clear: a card is seen)",
        [c](const Json::Value& req, Json::Value&, std::string& error) {
            BoardSlot* s = slotOf(*c, req, error);
            if (!s) return false;
            auto data = req["hex"].isString() ? parseHex(req["hex"].asString()) : std::nullopt;
            if (!data || data->empty()) {
                error = "\"hex\" must be the sensor bytes in hex";
                return false;
            }
            s->board->setSensors(*data);
            return true;
        });
}

void registerSimActions(SimContext& ctx) {
    SimContext* c = &ctx;
    ctx.actions.add("status",
                    "{\"action\":\"status\"}: the devices, their state, faults and replies",
                    [c](const Json::Value&, Json::Value& reply, std::string&) {
                        reply["devices"] = describeDevices(*c);
                        return true;
                    });
}

Json::Value describeDevices(SimContext& ctx) {
    Json::Value devices(Json::arrayValue);
    for (auto& slot : ctx.boards) {
        Json::Value d = slot.board->status();
        d["device"] = slot.board->name();
        d["transport"] = slot.transport;
        d["where"] = slot.where();
        d["plugged"] = slot.plugged();
        devices.append(d);
    }
    for (auto& describe : ctx.describers) devices.append(describe());
    return devices;
}

}  // namespace ksim::app
