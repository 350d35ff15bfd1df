#include "app/MechanismActions.h"

#include <string>

#include "board/mechanism/Mechanisms.h"

namespace ksim::app {

namespace {

board::mechanism::CardMechanism* mechanismFor(SimContext& ctx, const Json::Value& req,
                                              std::string& error) {
    BoardSlot* slot = slotOf(ctx, req, error);
    if (slot == nullptr) return nullptr;
    board::mechanism::CardMechanism* m = board::mechanism::mechanismOf(slot->board);
    if (m == nullptr) {
        error = "board " + std::to_string(slot - ctx.boards.data()) + " has no card mechanism";
    }
    return m;
}

}  // namespace

void registerMechanismActions(SimContext& ctx) {
    SimContext* c = &ctx;
    ctx.actions.add("insert_card",
                    "{\"action\":\"insert_card\",\"board\":0}: a customer puts a card into the "
                    "front slot (refused while a card is in the mechanism)",
                    [c](const Json::Value& req, Json::Value& reply, std::string& error) {
                        board::mechanism::CardMechanism* m = mechanismFor(*c, req, error);
                        if (m == nullptr || !m->insertCard(error)) return false;
                        reply["mechanism"] = m->status();
                        return true;
                    });
    ctx.actions.add("take_card",
                    "{\"action\":\"take_card\",\"board\":0}: a customer takes the card from "
                    "the front slot (refused when no card waits there)",
                    [c](const Json::Value& req, Json::Value& reply, std::string& error) {
                        board::mechanism::CardMechanism* m = mechanismFor(*c, req, error);
                        if (m == nullptr || !m->takeCard(error)) return false;
                        reply["mechanism"] = m->status();
                        return true;
                    });
    ctx.actions.add("place_card",
                    "{\"action\":\"place_card\",\"board\":0,\"station\":2}: lay the card at a "
                    "station (-1: no card), as card=N does at start",
                    [c](const Json::Value& req, Json::Value& reply, std::string& error) {
                        board::mechanism::CardMechanism* m = mechanismFor(*c, req, error);
                        if (m == nullptr) return false;
                        if (!req["station"].isInt()) {
                            error = "\"station\" must be a station id or -1";
                            return false;
                        }
                        if (!m->placeCard(req["station"].asInt(), error)) return false;
                        reply["mechanism"] = m->status();
                        return true;
                    });
    ctx.actions.add("mechanism",
                    "{\"action\":\"mechanism\",\"board\":0}: where the card is (\"card\", "
                    "\"moving_to\"), the detain count, the transfer module's position",
                    [c](const Json::Value& req, Json::Value& reply, std::string& error) {
                        board::mechanism::CardMechanism* m = mechanismFor(*c, req, error);
                        if (m == nullptr) return false;
                        reply["mechanism"] = m->status();
                        return true;
                    });
}

}  // namespace ksim::app
