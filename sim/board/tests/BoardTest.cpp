#include <gtest/gtest.h>

#include "board/Board.h"
#include "board/CommandSet.h"
#include "board/InfoBlock.h"

namespace ksim::board {
namespace {

Bytes hex(const char* text) {
    return *parseHex(text);
}

struct Fixture : ::testing::Test {
    Journal journal;

    Board make(const char* settings, double speed = 1) {
        std::string error;
        auto config = parseBoardSettings(settings, &error);
        EXPECT_TRUE(config) << error;
        return Board(0, *config, speed, journal);
    }
};

// The reply frames a response puts on the wire, decoded for the checks.
std::vector<Reply> replies(const Response& r) {
    std::vector<Reply> out;
    for (const auto& e : r.emissions) {
        Reply rep;
        const Bytes& f = e.bytes;
        if (f.size() < 10) continue;
        Bytes body;
        for (size_t i = 4; i + 1 < f.size(); ++i) {
            body.push_back(f[i]);
            if (f[i] == 0xAA) ++i;
        }
        rep.package = static_cast<uint16_t>(body[0] | body[1] << 8);
        rep.command = static_cast<uint16_t>(body[2] | body[3] << 8);
        rep.state = body[4];
        rep.data.assign(body.begin() + 5, body.end());
        out.push_back(rep);
    }
    return out;
}

using BoardAnswers = Fixture;

TEST_F(BoardAnswers, IdentificationCommandsAnswer) {
    Board b = make("88,addr=7,fw=20181231,name=LONG,devid=0123456789ABCD");
    auto ask = [&](uint16_t cmd, Bytes data) {
        auto r = replies(b.onRequest({0x0703, cmd, std::move(data)}));
        EXPECT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].package, 0x0703);
        EXPECT_EQ(r[0].command, cmd);
        EXPECT_EQ(r[0].state, 0);
        return r[0].data;
    };
    EXPECT_EQ(ask(0x3001, {}), Bytes());
    EXPECT_EQ(ask(0x100B, {}), hex("00 00 00 00 00 00 00 88"));
    EXPECT_EQ(ask(0x0104, {0}), Bytes({'L', 'O', 'N', 'G'}));
    EXPECT_EQ(ask(0x0105, {0}), Bytes({'2', '0', '1', '8', '1', '2', '3', '1'}));
    EXPECT_EQ(ask(0x0601, {0xFF, 0x01}), Bytes{7});
    Bytes block = ask(0x1008, {0});
    ASSERT_EQ(block.size(), 64u);
    EXPECT_EQ(block[63], 0xFE);
    EXPECT_EQ(Bytes(block.begin() + 4, block.begin() + 11), hex("01 23 45 67 89 AB CD"));
    uint8_t sum = 0;
    for (int i = 1; i <= 42; ++i) sum ^= block[i];
    EXPECT_EQ(sum, block[0]);
    EXPECT_EQ(ask(0x1002, {0}), hex("01 01 01"));
    EXPECT_EQ(ask(0x1002, {0, 1, 2}), Bytes());
}

TEST_F(BoardAnswers, StrictBoardRefusesUnknownCommandsAndWrongLengths) {
    struct Case {
        uint16_t command;
        const char* data;
        uint8_t strictState;  // lenient: always 00
    } cases[] = {
        {0x7E7E, "", kStateUnknownCommand},
        {0x0000, "01", kStateUnknownCommand},
        {0x3001, "", 0},
        {0x3001, "00", kStateBadLength},
        {0x100B, "", 0},
        {0x0104, "", 0},
        {0x0104, "00", 0},
        {0x0104, "00 00", kStateBadLength},
        {0x0601, "FF 01", 0},
        {0x0601, "FF", kStateBadLength},
        {0x1002, "", 0},
        {0x1002, "00", 0},
        {0x1002, "00 01 02", 0},
        {0x1002, "00 01", kStateBadLength},
        {0x1008, "00", 0},
        {0x1008, "00 00 00 00 00 00 00 00 00", kStateBadLength},
    };
    for (bool strict : {true, false}) {
        Board b = make("09");
        b.setStrict(strict);
        for (const auto& c : cases) {
            auto r = replies(b.onRequest({1, c.command, hex(c.data)}));
            ASSERT_EQ(r.size(), 1u);
            const uint8_t want = strict ? c.strictState : 0;
            EXPECT_EQ(r[0].state, want) << std::hex << c.command << " [" << c.data << "] "
                                        << (strict ? "strict" : "lenient");
            if (want != 0) {
                EXPECT_TRUE(r[0].data.empty());
            }
        }
    }
    // A canned answer stands for a command the firmware has, whatever its data.
    Board b = make("09");
    b.setCanned(0x7E7E, Answer{0, hex("01"), 0});
    b.setCanned(0x0601, Answer{0, hex("02"), 0});
    EXPECT_EQ(replies(b.onRequest({1, 0x7E7E, hex("01 02 03")}))[0].state, 0);
    EXPECT_EQ(replies(b.onRequest({1, 0x0601, {}}))[0].data, hex("02"));
}

TEST(CommandSet, LengthRulesReadAsDocumented) {
    EXPECT_EQ(lengthRule(0x1002)->text(), "0 to 1 bytes or 3 bytes");
    EXPECT_EQ(lengthRule(0x0009)->text(), "2 bytes");
    EXPECT_EQ(lengthRule(0x4003)->text(), "1 byte");
    EXPECT_EQ(lengthRule(0x7E7E), nullptr);
    EXPECT_NE(commandSetHelp().find("0211 0 to 255 bytes"), std::string::npos);
}

TEST_F(BoardAnswers, EncipheredBlockDeciphersToThePlainOne) {
    Board plain = make("09");
    Board enc = make("09,enc");
    Bytes p = replies(plain.onRequest({1, 0x1008, {0}}))[0].data;
    Bytes e = replies(enc.onRequest({1, 0x1008, {0}}))[0].data;
    EXPECT_EQ(e[63], 0xFD);
    EXPECT_EQ(e[0], p[0]);
    EXPECT_NE(Bytes(e.begin() + 1, e.begin() + 57), Bytes(p.begin() + 1, p.begin() + 57));
    EXPECT_EQ(Bytes(e.begin() + 57, e.begin() + 63), Bytes(p.begin() + 57, p.begin() + 63));
    ASSERT_TRUE(decipherInfoBlock(e));
    e[63] = 0xFE;
    EXPECT_EQ(e, p);
}

TEST_F(BoardAnswers, CannedRepliesWinAndCarryScaledDelays) {
    Board b = make("09", 0.5);
    std::string error;
    auto canned = parseCannedReply("1002=05:0A0B@300", &error);
    ASSERT_TRUE(canned) << error;
    b.setCanned(canned->first, canned->second);
    Response r = b.onRequest({1, 0x1002, {0}});
    ASSERT_EQ(r.emissions.size(), 1u);
    EXPECT_DOUBLE_EQ(r.emissions[0].delayMs, 150);
    EXPECT_EQ(replies(r)[0].state, 0x05);
    EXPECT_EQ(replies(r)[0].data, hex("0A 0B"));
    b.clearCanned(0x1002);
    EXPECT_EQ(replies(b.onRequest({1, 0x1002, {0}}))[0].data, hex("01 01 01"));
}

TEST(CannedReply, ParsesAndRejects) {
    std::string error;
    auto r = parseCannedReply("0x0211=00:9000", &error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->first, 0x0211);
    EXPECT_EQ(r->second.data, hex("90 00"));
    for (const char* bad : {"4001", "zz=00", "4001=100", "4001=00:ABC", "4001=00@soon"}) {
        EXPECT_FALSE(parseCannedReply(bad, &error)) << bad;
    }
}

using BoardFaults = Fixture;

TEST_F(BoardFaults, EachKindChangesTheReplyAsDocumented) {
    struct Case {
        const char* fault;
        size_t frames;
        std::function<void(const Response&)> check;
    } cases[] = {
        {"no_reply", 0, [](const Response& r) { EXPECT_FALSE(r.unplug); }},
        {"unplug,ms=250", 0,
         [](const Response& r) {
             EXPECT_TRUE(r.unplug);
             EXPECT_EQ(r.replugMs, 250);
         }},
        {"state", 1, [](const Response& r) { EXPECT_EQ(replies(r)[0].state, 0x85); }},
        {"state,state=5", 1, [](const Response& r) { EXPECT_EQ(replies(r)[0].state, 0x05); }},
        {"bad_check", 1,
         [](const Response& r) {
             uint8_t x = 0;
             for (size_t i = 4; i < r.emissions[0].bytes.size(); ++i) x ^= r.emissions[0].bytes[i];
             EXPECT_NE(x, 0);
         }},
        {"wrong_package", 2,
         [](const Response& r) {
             EXPECT_EQ(replies(r)[0].package, 0x0511);
             EXPECT_EQ(replies(r)[1].package, 0x0510);
         }},
        {"wrong_package,package=0x0610", 2,
         [](const Response& r) { EXPECT_EQ(replies(r)[0].package, 0x0610); }},
        {"wrong_package,ms=300", 2,
         [](const Response& r) {
             EXPECT_EQ(r.emissions[0].delayMs, 0);
             EXPECT_EQ(r.emissions[1].delayMs, 300);
         }},
        {"wrong_command", 2,
         [](const Response& r) {
             EXPECT_EQ(replies(r)[0].command, 0x1003);
             EXPECT_EQ(replies(r)[1].command, 0x1002);
         }},
        {"stale", 2,
         [](const Response& r) {
             EXPECT_EQ(replies(r)[0].package, 0x050F);  // nothing sent before: the one before
             EXPECT_EQ(replies(r)[1].package, 0x0510);
         }},
        {"delay,ms=40", 1, [](const Response& r) { EXPECT_EQ(r.emissions[0].delayMs, 40); }},
        {"junk,hex=0102", 2,
         [](const Response& r) {
             EXPECT_EQ(r.emissions[0].bytes, hex("01 02"));
             EXPECT_EQ(r.emissions[0].note, "junk");
         }},
        {"bad_length,length=3", 1,
         [](const Response& r) { EXPECT_EQ(r.emissions[0].bytes[2], 3); }},
        {"truncate,bytes=4", 1,
         [](const Response& r) { EXPECT_EQ(r.emissions[0].bytes, hex("AA BB 09 00")); }},
    };
    for (const auto& c : cases) {
        Board b = make("09");
        std::string error;
        auto fault = parseFaultText(c.fault, &error);
        ASSERT_TRUE(fault) << c.fault << ": " << error;
        b.addFault(*fault);
        Response r = b.onRequest({0x0510, 0x1002, {0}});
        EXPECT_EQ(r.emissions.size(), c.frames) << c.fault;
        if (r.emissions.size() == c.frames) c.check(r);
        // A fault with the default count is used up by one request.
        Response next = b.onRequest({0x0511, 0x1002, {0}});
        ASSERT_EQ(next.emissions.size(), 1u) << c.fault;
        EXPECT_EQ(replies(next)[0].state, 0) << c.fault;
    }
}

TEST_F(BoardFaults, StaleRepeatsThePreviousReply) {
    Board b = make("09");
    b.onRequest({0x0001, 0x0601, {0xFF, 0x01}});
    std::string error;
    b.addFault(*parseFaultText("stale", &error));
    auto r = replies(b.onRequest({0x0002, 0x1002, {0}}));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].package, 0x0001);
    EXPECT_EQ(r[0].command, 0x0601);
}

TEST_F(BoardFaults, CountAndCommandFilter) {
    Board b = make("09");
    std::string error;
    b.addFault(*parseFaultText("state,count=2,cmd=0x0104", &error));
    b.addFault(*parseFaultText("card_status", &error));
    auto state = [&](uint16_t cmd) { return replies(b.onRequest({1, cmd, {}}))[0].state; };
    EXPECT_EQ(state(0x1002), 0);
    EXPECT_EQ(state(0x0104), 0x85);
    EXPECT_EQ(state(0x0104), 0x85);
    EXPECT_EQ(state(0x0104), 0);
    // card_status without cmd waits for a card command.
    b.setCanned(0x0211, Answer{0, hex("01 02"), 0});
    EXPECT_EQ(replies(b.onRequest({1, 0x0211, {}}))[0].data, hex("01 02 6A 82"));
    EXPECT_EQ(replies(b.onRequest({1, 0x0211, {}}))[0].data, hex("01 02"));

    b.addFault(*parseFaultText("no_reply,count=0", &error));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(b.onRequest({1, 0x1002, {}}).emissions.empty());
    b.clearFaults();
    EXPECT_EQ(b.onRequest({1, 0x1002, {}}).emissions.size(), 1u);
}

TEST(FaultText, RejectsWhatItCannotDo) {
    std::string error;
    for (const char* bad : {"", "melt", "state,state=0x100", "delay", "no_reply,value=1",
                            "card_status,sw=6A", "junk,hex=XY", "state,count=x", "unplug,ms=-1"}) {
        EXPECT_FALSE(parseFaultText(bad, &error)) << bad;
    }
    Json::Value settings;
    settings["kind"] = "card_status";
    settings["sw"] = "6A82";
    settings["cmd"] = 0x0311;
    auto f = parseFault(settings, &error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(*f->value, 0x6A82);
    EXPECT_EQ(*f->command, 0x0311);
}

TEST(BoardSettings, ParsesSettingsAndRejectsNonsense) {
    std::string error;
    auto c = parseBoardSettings(
        "19,pid=0x5704,addr=42,fw=20240131,name=Front,devid=00112233445566,enc", &error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(c->deviceType, 0x19);
    EXPECT_EQ(c->productId, 0x5704);
    EXPECT_EQ(c->address, 42);
    EXPECT_EQ(c->firmware, "20240131");
    EXPECT_EQ(c->name, "Front");
    EXPECT_EQ(c->deviceId, hex("00 11 22 33 44 55 66"));
    EXPECT_TRUE(c->enciphered);
    EXPECT_EQ(parseBoardSettings(describe(*c), &error)->address, 42);

    for (const char* bad : {"", "100", "09,pid=0x1234", "09,addr=100", "09,fw=2024", "09,devid=12",
                            "09,color=red", "09,enc=1"}) {
        EXPECT_FALSE(parseBoardSettings(bad, &error)) << bad;
    }
}

}  // namespace
}  // namespace ksim::board
