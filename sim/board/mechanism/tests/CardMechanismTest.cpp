#include <gtest/gtest.h>

#include "board/CardReader.h"
#include "board/CommandSet.h"
#include "board/mechanism/CardMechanism.h"
#include "board/mechanism/Mechanisms.h"

namespace ksim::board::mechanism {
namespace {

struct Got {
    uint8_t state = 0;
    Bytes data;
    double delayMs = 0;
};

// Decodes the reply frame a response puts on the wire.
Got decode(const Response& response) {
    Got got;
    if (response.emissions.empty()) return got;
    const Emission& e = response.emissions.back();
    Bytes body;
    for (size_t i = 4; i + 1 < e.bytes.size(); ++i) {
        body.push_back(e.bytes[i]);
        if (e.bytes[i] == 0xAA) ++i;
    }
    got.state = body[4];
    got.data.assign(body.begin() + 5, body.end());
    got.delayMs = e.delayMs;
    return got;
}

struct Rig {
    Journal journal;
    CardMechanism::Clock::time_point now = CardMechanism::Clock::now();
    std::unique_ptr<Board> board;
    std::unique_ptr<CardMechanism> mechanism;

    explicit Rig(const char* settings, int card = kNoCard, double speed = 1) {
        std::string error;
        auto config = parseBoardSettings(settings, &error);
        EXPECT_TRUE(config) << error;
        board = std::make_unique<Board>(0, *config, speed, journal);
        mechanism =
            std::make_unique<CardMechanism>(*board, card, speed, journal, [this] { return now; });
        mechanism->install();
    }
    Got ask(uint16_t command, Bytes data = {}) {
        return decode(board->onRequest({1, command, std::move(data)}));
    }
    void wait(double ms) { now += std::chrono::microseconds(static_cast<long long>(ms * 1000)); }
    Bytes sensors() { return ask(0x1002, {0x00}).data; }
};

TEST(CardMechanism, StandardFeedTakesTimeWhileTheBoardAnswersAtOnce) {
    Rig rig("00");
    EXPECT_EQ(rig.sensors(), (Bytes{1, 1, 1}));
    // No card: the rollers run, nothing arrives.
    EXPECT_EQ(rig.ask(0x4001, {0}).state, 0);
    EXPECT_EQ(rig.mechanism->card(), kNoCard);

    std::string error;
    ASSERT_TRUE(rig.mechanism->insertCard(error));
    EXPECT_EQ(rig.sensors(), (Bytes{0, 1, 1}));
    EXPECT_EQ(rig.ask(0x4003, {0}).state, 0);
    const Got fed = rig.ask(0x4001, {0});
    EXPECT_EQ(fed.delayMs, 0);
    rig.wait(799);
    EXPECT_EQ(rig.sensors(), (Bytes{0, 1, 1}));
    rig.wait(2);
    EXPECT_EQ(rig.sensors(), (Bytes{1, 0, 1}));
    EXPECT_EQ(rig.mechanism->card(), station::kReader);

    rig.ask(0x4003, {1});
    rig.ask(0x4002, {1});
    rig.wait(kFeedMs);
    EXPECT_EQ(rig.mechanism->card(), station::kSlot);
    ASSERT_TRUE(rig.mechanism->takeCard(error));
    EXPECT_EQ(rig.sensors(), (Bytes{1, 1, 1}));
}

TEST(CardMechanism, WhereEachCommandTakesTheCard) {
    struct Case {
        const char* settings;
        int from;
        uint16_t command;
        Bytes data;
        uint8_t mode;  // of the 4003 before
        int to;
    };
    const Case cases[] = {
        {"00", 0, 0x4001, {0}, 0, station::kReader},
        {"02", 0, 0x4001, {0}, 0, station::kPrePrint},
        {"88", 5, 0x4001, {1}, 1, station::kReader},
        {"00", 2, 0x4002, {0}, 0, station::kPrinter},
        {"88", 2, 0x4002, {}, 1, station::kSlot},
        {"00", 2, 0x4006, {0}, 0, station::kDetain},
        {"00", 5, 0x4006, {0}, 0, station::kPrinter},
        {"09", 0, 0x4001, {}, 0, station::kReader},
        {"09", 5, 0x4001, {}, 1, station::kQRCode},
        {"19", 5, 0x4001, {}, 1, station::kReader},
        {"09,fw=20180815", 0, 0x400D, {}, 0, station::kReader},
        {"09,fw=20180814", 0, 0x400D, {}, 0, station::kSlot},
        {"09", 2, 0x4008, {0}, 0, station::kTransfer},
        {"19", 5, 0x4008, {0}, 0, station::kPrinter},
        {"09", 11, 0x4002, {}, 0, station::kPrinter},
        {"19", 11, 0x4002, {}, 1, station::kSlot},
        {"00", 2, 0x4008, {0}, 0, station::kReader},
    };
    for (const Case& c : cases) {
        Rig rig(c.settings, c.from, 0);
        rig.ask(0x4003, {c.mode});
        rig.ask(c.command, c.data);
        EXPECT_EQ(rig.mechanism->card(), c.to) << c.settings << " " << std::hex << c.command;
    }
}

TEST(CardMechanism, TransferModelsAnswerWhenTheMoveIsDone) {
    Rig rig("09,fw=20180815", 0);
    const Got fed = rig.ask(0x400D);
    EXPECT_EQ(fed.delayMs, kFeedMs);
    EXPECT_EQ(rig.mechanism->card(), station::kReader);
    EXPECT_EQ(rig.ask(0x400A).delayMs, kModuleResetMs);
    EXPECT_TRUE(rig.mechanism->status()["module_ready"].asBool());
    EXPECT_EQ(rig.ask(0x4009, {3}).delayMs, kModuleTurnMs);
    EXPECT_EQ(rig.ask(0x4008, {0}).delayMs, kModuleMoveMs);
    rig.ask(0x4009, {0});
    const Json::Value status = rig.mechanism->status();
    EXPECT_EQ(status["card"].asInt(), station::kTransfer);
    EXPECT_EQ(status["card_side"].asInt(), 3);
    EXPECT_EQ(status["module_position"].asInt(), 0);
    // s3, s5 and s7 see the card in the module.
    EXPECT_EQ(rig.sensors(), (Bytes{1, 1, 1, 0, 1, 0, 1, 0}));
}

TEST(CardMechanism, OldFirmwareHasNoModuleCommands) {
    Rig rig("19,fw=20180814", 0);
    EXPECT_EQ(rig.ask(0x400D).state, kStateUnknownCommand);
    EXPECT_EQ(rig.ask(0x400A).state, kStateUnknownCommand);
    EXPECT_EQ(rig.ask(0x4009, {1}).state, 0);
    Rig standard("00,fw=20200101");
    EXPECT_EQ(standard.ask(0x400A).state, kStateUnknownCommand);
}

TEST(CardMechanism, StrictBoardRefusesWrongLengthsAndMissingModuleCommands) {
    struct Case {
        const char* settings;
        uint16_t command;
        Bytes data;
        uint8_t strictState;  // lenient: 00
    } cases[] = {
        {"00", 0x4003, {}, kStateBadLength},
        {"00", 0x4003, {0x01}, 0},
        {"00", 0x4001, {}, 0},
        {"00", 0x4001, {0x00}, 0},
        {"00", 0x4001, {0x00, 0x00}, kStateBadLength},
        {"00", 0x4006, Bytes(291, 0x11), kStateBadLength},
        {"00", 0x0009, {0x01}, kStateBadLength},
        {"00", 0x0009, {0x01, 0x0A}, 0},
        {"00", 0x1003, {}, kStateBadLength},
        {"00", 0x100F, {0x00, 0x01}, kStateBadLength},
        {"00", 0x100F, {0x00, 0x01, 0x02, 0x03}, 0},
        {"00", 0x4009, {0x01}, kStateUnknownCommand},
        {"00", 0x4008, {0x00}, kStateUnknownCommand},
        {"88", 0x400D, {}, kStateUnknownCommand},
        {"09", 0x4009, {0x01}, 0},
        {"09", 0x4009, {}, kStateBadLength},
        {"09", 0x400A, {0x00}, kStateBadLength},
        {"09", 0x0302, {}, 0},
        {"09", 0x0302, {0x00}, kStateBadLength},
    };
    for (bool strict : {true, false}) {
        for (const auto& c : cases) {
            Rig rig(c.settings);
            rig.board->setStrict(strict);
            EXPECT_EQ(rig.ask(c.command, c.data).state, strict ? c.strictState : 0)
                << c.settings << " " << std::hex << c.command << " with " << std::dec
                << c.data.size() << " bytes, " << (strict ? "strict" : "lenient");
        }
    }
}

TEST(CardMechanism, CardCommandsAnswerWithTheCardsStatusWord) {
    struct Case {
        int card;
        uint16_t command;
        const char* apdu;
        uint16_t sw;
    } cases[] = {
        {station::kReader, 0x0211, "00 A4 04 00", kSwDone},
        {station::kReader, 0x0311, "00 B0 00 00 10", kSwDone},
        {station::kReader, 0x0211, "00 A4 04 00 02 3F 00", kSwDone},
        {station::kReader, 0x0211, "00 A4 04 00 02 3F 00 00", kSwDone},
        {station::kReader, 0x0211, "00 A4", kSwWrongLength},
        {station::kReader, 0x0211, "00 A4 04 00 05 3F 00", kSwWrongLength},
        {station::kReader, 0x0211, "00 A4 04 00 00 3F", kSwWrongLength},
        {kNoCard, 0x0211, "00 A4 04 00", kSwNoCard},
        {station::kSlot, 0x0311, "00 A4 04 00", kSwNoCard},
        {station::kPrePrint, 0x0211, "00 A4 04 00", kSwNoCard},
    };
    for (const auto& c : cases) {
        Rig rig("00", c.card);
        Got got = rig.ask(c.command, *parseHex(c.apdu));
        EXPECT_EQ(got.state, 0) << c.apdu;
        EXPECT_EQ(got.data, (Bytes{static_cast<uint8_t>(c.sw >> 8), static_cast<uint8_t>(c.sw)}))
            << "card at " << c.card << ", APDU " << c.apdu;
    }
    // A card_status fault replaces the card's word; lenient boards add none of their own.
    Rig rig("00", station::kReader);
    std::string error;
    rig.board->addFault(*parseFaultText("card_status,sw=6283", &error));
    EXPECT_EQ(rig.ask(0x0211, {0x00, 0xA4, 0x04, 0x00}).data, (Bytes{0x62, 0x83}));
    rig.board->setStrict(false);
    EXPECT_EQ(rig.ask(0x0211, {0x00, 0xA4, 0x04, 0x00}).data, Bytes());
}

TEST(CardMechanism, DetainBinAndOperatorActions) {
    Rig rig("00", 2);
    std::string error;
    EXPECT_FALSE(rig.mechanism->insertCard(error));
    EXPECT_FALSE(rig.mechanism->takeCard(error));
    EXPECT_EQ(rig.ask(0x4006, {0}).delayMs, kDetainMs);
    EXPECT_EQ(rig.mechanism->card(), station::kDetain);
    EXPECT_EQ(rig.mechanism->status()["detained"].asInt(), 1);
    EXPECT_EQ(rig.sensors(), (Bytes{1, 1, 1}));
    EXPECT_TRUE(rig.mechanism->insertCard(error));
    EXPECT_FALSE(rig.mechanism->placeCard(11, error));
    EXPECT_TRUE(rig.mechanism->placeCard(10, error));
    EXPECT_EQ(rig.mechanism->card(), station::kPrePrint);
}

TEST(CardMechanism, OperatorSensorsHoldUntilTheCardMoves) {
    Rig rig("00", 0, 0);
    EXPECT_EQ(rig.sensors(), (Bytes{0, 1, 1}));
    rig.board->setSensors({1, 1, 0});
    EXPECT_EQ(rig.sensors(), (Bytes{1, 1, 0}));
    rig.ask(0x4001, {0});
    EXPECT_EQ(rig.sensors(), (Bytes{1, 0, 1}));
    // A motor step is not a sensor read.
    EXPECT_TRUE(rig.ask(0x1002, {0, 1, 2}).data.empty());
}

TEST(MechanismSettings, CardSettingComesOutOfTheSettings) {
    struct Case {
        const char* settings;
        bool ok;
        const char* rest;
        int card;
    };
    const Case cases[] = {
        {"09", true, "09", kNoCard},    {"09,card=11,fw=20180815", true, "09,fw=20180815", 11},
        {"00,card=0x2", true, "00", 2}, {"00,card=12", false, "", 0},
        {"00,card=x", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string rest, error;
        int card = 0;
        EXPECT_EQ(takeSettings(c.settings, rest, card, &error), c.ok) << c.settings;
        if (!c.ok) continue;
        EXPECT_EQ(rest, c.rest);
        EXPECT_EQ(card, c.card);
    }
    Journal journal;
    std::string error;
    Board board(0, *parseBoardSettings("00", &error), 0, journal);
    EXPECT_FALSE(installMechanism(board, 9, 0, journal, &error));
    EXPECT_TRUE(installMechanism(board, 4, 0, journal, &error));
    ASSERT_NE(mechanismOf(&board), nullptr);
    EXPECT_EQ(mechanismOf(&board)->card(), station::kPrePrint);
}

}  // namespace
}  // namespace ksim::board::mechanism
