// The device script engine over an in-memory board.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "link/ScriptPause.h"
#include "link/include/devlink.h"
#include "link/tests/FakeBoard.h"
#include "link/tests/PtyPair.h"

namespace {

namespace fs = std::filesystem;
using linktest::Bytes;
using linktest::FakeBoard;
using linktest::replyFrame;
using linktest::Request;

// Script pauses are counted here instead of slept.
std::atomic<long> gPausedMs{0};
void countPause(int ms) {
    gPausedMs += ms;
}
const bool kPausesCounted = [] {
    devlink::setScriptPause(&countPause);
    return true;
}();

struct Answer {
    uint8_t state;
    Bytes data;
};

// A board that answers each command code from a table; unknown commands stay silent.
FakeBoard::Responder table(std::map<uint16_t, Answer> answers) {
    return [answers](const Request& r) {
        auto it = answers.find(r.cmdCode);
        if (it == answers.end()) return std::vector<Bytes>{};
        return std::vector<Bytes>{
            replyFrame(r.packageNum, r.cmdCode, it->second.state, it->second.data)};
    };
}

struct ScriptResult {
    int result;
    std::string transcript;
};

ScriptResult runOn(Device& device, const std::string& script, int outSize = 4096) {
    std::string text = script;
    std::vector<char> out(outSize, '\x7F');
    const int rc = device.RunScript(0x10, &text[0], out.data(), outSize, 0);
    return {rc, std::string(out.data())};
}

const std::map<uint16_t, Answer> kBoard = {
    {0x1008, {0, {0x01, 0x02}}},
    {0x0104, {0, {0xAB, 0xCD}}},
    {0x0302, {0, {}}},
};

TEST(Script, SendStoresTheReplyAndWritesTheTranscript) {
    FakeBoard board(table(kBoard));
    const ScriptResult r = runOn(board, "R = send(1008 00)\r\n=OUTPUT([R])\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.transcript, ">>SEND(100800)\n<<0102\n>>OUTPUT(0102)\n");
    ASSERT_EQ(board.requests.size(), 1u);
    EXPECT_EQ(board.requests[0].cmdCode, 0x1008);
    EXPECT_EQ(board.requests[0].data, Bytes{0x00});
    EXPECT_EQ(board.requests[0].packageNum, 0x10);
}

TEST(Script, KeywordsAndNamesAreCaseInsensitiveAndPackagesAdvance) {
    FakeBoard board(table(kBoard));
    const ScriptResult r = runOn(board, "r=Send(0104 00)\nx=s(0104)\n=output([r][X])\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_NE(r.transcript.find(">>OUTPUT(ABCDABCD)"), std::string::npos) << r.transcript;
    ASSERT_EQ(board.requests.size(), 2u);
    EXPECT_EQ(board.requests[1].packageNum, 0x11);
}

TEST(Script, SendWithATrailingDigitTakesItAsAHighHalf) {
    FakeBoard board(table(kBoard));
    EXPECT_EQ(runOn(board, "=S(01041)\n").result, 0);
    EXPECT_EQ(board.requests.at(0).data, Bytes{0x10});
}

TEST(Script, VariableReferences) {
    struct Case {
        const char* reference;
        int result;
        const char* output;
    } cases[] = {
        {"[V]", 0, "ABCDEF"},    {"[V,2]", 0, "AB"}, {"[V,2,3]", 0, "CDE"},
        {"[V,4,9]", 0, "EF"},    {"[V,6,1]", 0, ""}, {"[V,7,1]", 974850, nullptr},
        {"[v,10]", 0, "ABCDEF"}, {"[W]x", 0, "x"},   {"[V,123456]", 0, "[V,123456]"},
    };
    for (const Case& c : cases) {
        FakeBoard board;
        const ScriptResult r =
            runOn(board, std::string("V=SET(ABCDEF)\n=OUTPUT(") + c.reference + ")\n");
        EXPECT_EQ(r.result, c.result) << c.reference;
        if (c.output != nullptr) {
            EXPECT_EQ(r.transcript, std::string(">>SET(ABCDEF)\n>>OUTPUT(") + c.output + ")\n")
                << c.reference;
        }
    }
}

TEST(Script, RunResults) {
    struct Case {
        const char* what;
        const char* script;
        int result;
        const char* transcript;
    } cases[] = {
        {"only carriage returns", "\r\r\r", 974850, ""},
        {"comments and short lines", "#R=SEND(0104)\n\nA=B\n  \n", 0, ""},
        {"no parentheses", "R=SEND0104\n", 974850, ""},
        {"unknown keyword does nothing", "=NOP(1)\n", 0, ">>NOP(1)\n"},
        {"EXIST ends with its number and no line", "=OUTPUT(a)\n=EXIST(7)\n=OUTPUT(b)\n", 7,
         ">>OUTPUT(a)\n"},
        {"SEND failure ends with the exchange result", "=S(0999)\n=OUTPUT(b)\n", 230, ""},
        {"IF with an odd data digit count", "=IF(00 01 A 0104 001)\n", 974850, ""},
        {"CREATESUBDEV too short", "=CREATESUBDEV(0001)\n", 974850, ""},
        {"SUBDEV without a sub-device", "=SUBDEV(01,/)\n", 974850, ""},
        {"INCLUDE of a missing file", "=INCLUDE(/no/such/script.txt)\n", 974850, ""},
        {"a value that refers to itself", "W=SET([V)\nV=SET([W,2]])\n=OUTPUT([V])\n", 974850,
         ">>SET([V)\n>>SET([V])\n"},
        {"TEST field beyond the arguments", "=TEST(01)\n", 974850, ""},
    };
    for (const Case& c : cases) {
        FakeBoard board(table(kBoard));
        const ScriptResult r = runOn(board, c.script);
        EXPECT_EQ(r.result, c.result) << c.what;
        EXPECT_EQ(r.transcript, c.transcript) << c.what;
    }
}

// A field that would start past the end of ARGS is malformed: the run ends before
// anything is sent, instead of sending a command made from what is there.
TEST(Script, FieldBeyondArgumentsSendsNothing) {
    const char* scripts[] = {"R=SEND(01)\n", "R=S(010)\n", "R=IF(0004534901)\n",
                             "R=TEST_RESULT(01000104)\n"};
    for (const char* script : scripts) {
        FakeBoard board(table(kBoard));
        EXPECT_EQ(runOn(board, script).result, 974850) << script;
        EXPECT_TRUE(board.writes.empty()) << script;
    }
}

TEST(Script, IfElseEndif) {
    struct Case {
        const char* condition;
        const char* branch;
        const char* compare;
    } cases[] = {
        {"=IF(0202CD0104)", "THEN", "<<ABCD, CMP:CD=CD\n"},
        {"=IF(0002CD0104)", "ELSE", "<<ABCD, CMP:AB=CD\n"},
        {"=IF(0304CDEF0104)", "ELSE", "<<ABCD, CMP:''=CDEF\n"},  // reply shorter than OO + LL
        {"=IF(0002AB0999)", "ELSE", ""},                         // exchange failed
    };
    for (const Case& c : cases) {
        FakeBoard board(table(kBoard));
        std::string condition = c.condition;
        const ScriptResult r =
            runOn(board, condition +
                             "\n=OUTPUT(THEN)\n=ELSE()\n=OUTPUT(ELSE)\n=ENDIF()\n="
                             "OUTPUT(AFTER)\n");
        EXPECT_EQ(r.result, 0) << c.condition;
        std::string args = condition.substr(4, condition.size() - 5);
        const std::string branches = std::string(c.branch) == "THEN" ? ">>OUTPUT(THEN)\n>>ELSE()\n"
                                                                     : ">>ELSE()\n>>OUTPUT(ELSE)\n";
        EXPECT_EQ(r.transcript,
                  ">>IF(" + args + ")\n" + c.compare + branches + ">>ENDIF()\n>>OUTPUT(AFTER)\n")
            << c.condition;
    }
}

TEST(Script, TestRepeatsUntilThePartMatches) {
    int calls = 0;
    FakeBoard board([&calls](const Request& r) {
        const Bytes data = ++calls < 3 ? Bytes{0x00} : Bytes{0x01};
        return std::vector<Bytes>{replyFrame(r.packageNum, r.cmdCode, 0, data)};
    });
    const ScriptResult r = runOn(board, "T=TEST(01 00 02 01 0104)\n=OUTPUT([T])\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(board.requests.size(), 3u);
    EXPECT_EQ(
        r.transcript,
        ">>TEST(010002010104)\n<<00, CMP:00=01\n<<00, CMP:00=01\n<<01, CMP:01=01\n>>OUTPUT(01)\n");
}

TEST(Script, TestAttemptCountsAndTheirEnd) {
    struct Case {
        const char* statement;
        size_t requests;  // including the clearing 0x0302
        int result;
        bool cleared;
    } cases[] = {
        {"=TEST(01000201 0104)", 4, 974850, false},
        {"=TEST(00000201 0104)", 4, 974850, false},
        {"=TEST(02000201 0104)", 9, 974850, false},
        {"=TEST_CLEAR_CONTINUE(01000201 0104)", 5, 0, true},
        {"=TEST_CONTINUE(01000201 0104)", 4, 0, false},
        {"=TEST_CLEAR(01000201 0104)", 5, 974850, true},
    };
    for (const Case& c : cases) {
        FakeBoard board(table(kBoard));  // answers 0104 with ABCD: never 01 at offset 0
        const long pausedBefore = gPausedMs;
        const ScriptResult r = runOn(board, std::string(c.statement) + "\n");
        const long paused = gPausedMs - pausedBefore;
        EXPECT_EQ(r.result, c.result) << c.statement;
        EXPECT_EQ(board.requests.size(), c.requests) << c.statement;
        EXPECT_EQ(board.requests.back().cmdCode == 0x0302, c.cleared) << c.statement;
        // Each failed attempt is followed by a 200 ms pause.
        const size_t attempts = c.requests - (c.cleared ? 1 : 0);
        EXPECT_EQ(paused, static_cast<long>(200 * attempts)) << c.statement;
    }
}

TEST(Script, TestResultComparesTheSignedStateByte) {
    struct Case {
        uint8_t state;
        const char* statement;
        size_t requests;
        int result;
    } cases[] = {
        {0x05, "=TEST_RESULT(01050104 00 11)", 1, 0},
        {0x85, "=TEST_RESULT_CONTINUE(01850104 00)", 4, 0},  // 0x85 is -123, never 0x85
    };
    for (const Case& c : cases) {
        FakeBoard board(table({{0x0104, {c.state, {0x01}}}}));
        const ScriptResult r = runOn(board, std::string(c.statement) + "\n");
        EXPECT_EQ(r.result, c.result) << c.statement;
        EXPECT_EQ(board.requests.size(), c.requests) << c.statement;
        if (c.requests == 1) {
            EXPECT_EQ(board.requests[0].data, Bytes{0x11});
        }
    }
}

TEST(Script, DelaySleepsInStepsOf50Ms) {
    FakeBoard board;
    const long pausedBefore = gPausedMs;
    EXPECT_EQ(runOn(board, "=DELAY(120)\n").result, 0);
    EXPECT_EQ(gPausedMs - pausedBefore, 150);
}

TEST(Script, TranscriptIsCutToTheBufferAndTheRunGoesOn) {
    FakeBoard board(table(kBoard));
    const ScriptResult r = runOn(board, "=OUTPUT(ABCDEFGHIJ)\n=S(0104)\n", 8);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.transcript, ">>OUTPU");
    EXPECT_EQ(board.requests.size(), 1u);
}

class ScriptFiles : public testing::Test {
  protected:
    void SetUp() override {
        mDir = fs::temp_directory_path() /
               ("link_script_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(mDir);
    }
    void TearDown() override { fs::remove_all(mDir); }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = mDir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    fs::path mDir;
};

TEST_F(ScriptFiles, IncludeRunsTheFileAndKeepsItsTranscript) {
    const std::string inner = write("inner.txt", "I=S(0104)\n=OUTPUT(in)\n");
    FakeBoard board(table(kBoard));
    const ScriptResult r = runOn(board, "=OUTPUT(before)\n=INCLUDE(" + inner + ")\n=OUTPUT([I])\n");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.transcript, ">>OUTPUT(before)\n>>S(0104)\n<<ABCD\n>>OUTPUT(in)\n>>INCLUDE(" +
                                inner + ")\n>>OUTPUT(ABCD)\n");
}

TEST_F(ScriptFiles, FailingOrSelfIncludingFilesEndTheRun) {
    const std::string failing = write("failing.txt", "=EXIST(3)\n");
    const std::string self = mDir.string() + "/self.txt";
    write("self.txt", "=INCLUDE(" + self + ")\n");
    for (const std::string& file : {failing, self}) {
        FakeBoard board;
        EXPECT_EQ(runOn(board, "=INCLUDE(" + file + ")\n").result, 974850) << file;
    }
}

TEST(ScriptRunExport, EachRunTakesTheNextPackageNumber) {
    FakeBoard board(table(kBoard));
    char out[256];
    char script[] = "=S(0104)\n";
    ASSERT_EQ(run_script(&board, script, out, sizeof(out), 0), 0);
    ASSERT_EQ(run_script(&board, script, out, sizeof(out), 0), 0);
    ASSERT_EQ(board.requests.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(board.requests[1].packageNum - board.requests[0].packageNum), 1);
}

// Sub-devices open /dev/COM<n>; a link there points at a pseudo-terminal.
TEST_F(ScriptFiles, SubDeviceRunsItsScriptOnTheSerialLine) {
    linktest::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const fs::path com = "/dev/COM90";
    fs::remove(com);
    fs::create_symlink(pty.slavePath(), com);
    const std::string sub = write("sub.txt", "Q=S(0104)\n");
    std::thread line([&] {
        const Bytes request = pty.receive(9, 3000);
        if (request.size() != 9) return;
        const auto r = linktest::decodeRequest(request);
        pty.send(replyFrame(r.packageNum, r.cmdCode, 0, {0x5A}));
    });
    FakeBoard board;
    const ScriptResult r = runOn(
        board, "=CREATESUBDEV(005A000000C2000001)\n=CREATESUBDEV(005A000000C2000001)\n=SUBDEV(5A," +
                   sub + ")\n");
    line.join();
    fs::remove(com);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.transcript,
              ">>CREATESUBDEV(005A000000C2000001)\n>>CREATESUBDEV(005A000000C2000001)\n>>S(0104)\n<"
              "<5A\n>>SUBDEV(5A," +
                  sub + ")\n");
    FakeBoard other;
    EXPECT_EQ(runOn(other, "=CREATESUBDEV(005B000000C2000001)\n").result, 974850);
}

}  // namespace
