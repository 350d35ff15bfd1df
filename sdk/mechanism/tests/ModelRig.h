// A model identified on a test board through a shared link, with its events
// collected.
#pragma once

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>

#include "FakeBoard.h"
#include "mechanism/BoardLink.h"

template <class Model>
struct ModelRig {
    BoardState board;
    AccessGuard access{&board};
    BoardLink link;
    Model model;

    explicit ModelRig(uint8_t type = 0x00, const char* firmware = "20200101",
                      const char* name = "KQ2018AB") {
        board.deviceType = type;
        board.firmware = firmware;
        board.name = name;
        link.adopt(std::make_unique<FakeBoard>(board));
        model.shareLink(&link);
        EXPECT_EQ(model.analyzeFlash(link.port(), 0), 0);
        board.sent.clear();
        EventLog::documents().clear();
        model.addEventLister(EventLog::listener);
    }

    // Part ids of the state events raised so far, in order.
    std::vector<int> eventParts() const {
        std::vector<int> parts;
        for (const std::string& doc : EventLog::documents()) {
            Json::Value value;
            Json::Reader().parse(doc, value);
            parts.push_back(value["data"]["event_data"]["part_id"].asInt());
        }
        return parts;
    }
    std::vector<int> cardAt() const {
        std::vector<int> parts;
        for (const auto& entry : model.cardAt()) parts.push_back(entry.first);
        return parts;
    }
};
