// kiosk-sim seen from a driver: board_client runs under it through the system libusb
// and real pseudo-terminals.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "SimRun.h"

namespace ksimtest {
namespace {

using Args = std::vector<std::string>;

bool contains(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
}

// The client's steps, one group per step.
Args steps(std::initializer_list<Args> groups) {
    Args all;
    for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
    return all;
}

std::string repeat(const std::string& byte, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += byte;
    return s;
}

TEST(KioskSimUsb, BoardsEnumerateInTheOrderGiven) {
    SimRun r = runSim({"--board", "09", "--board", "09,addr=5", "--board", "02,addr=7,pid=0x5741"},
                      {"list", "xfer", "0", "0001", "0601", "FF01", "500", "xfer", "1", "0002",
                       "0601", "FF01", "500", "xfer", "2", "0003", "0601", "FF01", "500"});
    ASSERT_EQ(r.status, 0) << r.out << r.log;
    EXPECT_EQ(r.lines("device"),
              (std::vector<std::string>{"device 0483:5740 001/002", "device 0483:5740 001/003",
                                        "device 0483:5741 001/004"}));
    EXPECT_EQ(r.lines("reply"),
              (std::vector<std::string>{"reply pkg=0001 cmd=0601 state=00 check=ok data=01",
                                        "reply pkg=0002 cmd=0601 state=00 check=ok data=05",
                                        "reply pkg=0003 cmd=0601 state=00 check=ok data=07"}));
}

TEST(KioskSimUsb, LongFramesAndStuffingBothWays) {
    // 291 data bytes make a 300-byte request: a long block in five reports. The canned
    // reply of 2000 is long too; both directions carry 0xAA bytes that must be stuffed.
    std::string reply = "AA" + repeat("11", 299);
    SimRun r = runSim({"--board", "09", "--reply", "2000=00:" + reply},
                      {"xfer", "0", "0001", "3000", repeat("5A", 291), "500", "xfer", "0", "00AA",
                       "2000", "AA", "500"});
    ASSERT_EQ(r.status, 0) << r.out << r.log;
    ASSERT_EQ(r.lines("reply").size(), 2u) << r.out;
    std::string expect = "reply pkg=00AA cmd=2000 state=00 check=ok data=AA";
    for (int i = 0; i < 299; ++i) expect += " 11";
    EXPECT_EQ(r.lines("reply")[1], expect);
    EXPECT_TRUE(contains(r.log, "host->dev frame [300]")) << r.log;
    EXPECT_TRUE(contains(r.log, "long block, report counts 62,62,62,62,56")) << r.log;
    EXPECT_TRUE(contains(r.log, "package 00AA command 2000 data AA; short block")) << r.log;
    EXPECT_TRUE(contains(r.log, "reply; 6 report(s)")) << r.log;
}

TEST(KioskSimUsb, BrokenRequestsAreLoggedAndUnanswered) {
    // A check byte off by one, and a 0xAA without its stuffing byte.
    SimRun r = runSim({"--board", "09"}, {"raw", "0", "AABB05000100013031", "300", "raw", "0",
                                          "AABB0500AA0101309A", "300"});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_EQ(r.lines("error read LIBUSB_ERROR_TIMEOUT").size(), 2u) << r.out;
    EXPECT_TRUE(contains(r.log, "protocol_error: check byte 31, expected 30")) << r.log;
    EXPECT_TRUE(contains(r.log, "is not followed by 00")) << r.log;
}

TEST(KioskSimUsb, FaultsFromTheCommandLineAndTheControlSocket) {
    SimRun r = runSim({"--board", "09", "--control", "{scratch}/ctl.sock", "--fault",
                       "0:state,cmd=0x4001", "--fault", "0:no_reply,cmd=0x1002"},
                      {"xfer",    "0",
                       "0001",    "4001",
                       "00",      "300",  // state 85
                       "xfer",    "0",
                       "0002",    "1002",
                       "00",      "300",  // no reply
                       "xfer",    "0",
                       "0003",    "1002",
                       "00",      "300",  // fine again
                       "control", R"({"action":"fault","kind":"bad_check"})",
                       "xfer",    "0",
                       "0004",    "1002",
                       "00",      "300",
                       "control", R"({"action":"fault","kind":"wrong_package","id":7})",
                       "xfer",    "0",
                       "0005",    "1002",
                       "00",      "300",  // the wrong one first
                       "read",    "0",
                       "300",  // then the right one
                       "control", R"({"action":"fault","kind":"card_status","sw":"6A82"})",
                       "xfer",    "0",
                       "0006",    "0211",
                       "00",      "300"});
    EXPECT_EQ(r.status, 1) << r.out << r.log;
    auto replies = r.lines("reply");
    ASSERT_EQ(replies.size(), 6u) << r.out;
    EXPECT_EQ(replies[0], "reply pkg=0001 cmd=4001 state=85 check=ok data=");
    EXPECT_EQ(replies[1], "reply pkg=0003 cmd=1002 state=00 check=ok data=01 01 01");
    EXPECT_EQ(replies[2], "reply pkg=0004 cmd=1002 state=00 check=bad data=01 01 01");
    EXPECT_EQ(replies[3], "reply pkg=0006 cmd=1002 state=00 check=ok data=01 01 01");
    EXPECT_EQ(replies[4], "reply pkg=0005 cmd=1002 state=00 check=ok data=01 01 01");
    EXPECT_EQ(replies[5], "reply pkg=0006 cmd=0211 state=00 check=ok data=6A 82");
    EXPECT_EQ(r.lines("error read LIBUSB_ERROR_TIMEOUT").size(), 1u);
    EXPECT_TRUE(contains(r.out, R"("id":7)")) << r.out;
}

TEST(KioskSimUsb, ControlSocketActionsAndErrors) {
    SimRun r =
        runSim({"--board", "09", "--control", "{scratch}/ctl.sock"},
               {"control", R"({"action":"reply","cmd":"0x4001","state":"0x05","hex":"0102"})",
                "xfer",    "0",
                "0001",    "4001",
                "00",      "300",
                "control", R"({"action":"sensors","hex":"000101"})",
                "xfer",    "0",
                "0002",    "1002",
                "00",      "300",
                "control", R"({"action":"reply","cmd":"0x4001","clear":true})",
                "xfer",    "0",
                "0003",    "4001",
                "00",      "300",
                "control", R"({"action":"status"})",
                "control", R"({"action":"melt"})",
                "control", R"({"action":"fault","board":3,"kind":"no_reply"})",
                "control", R"({"action":"fault","kind":"explode"})",
                "control", "not json"});
    EXPECT_EQ(r.status, 4) << r.out;
    auto replies = r.lines("reply");
    ASSERT_EQ(replies.size(), 3u) << r.out;
    EXPECT_EQ(replies[0], "reply pkg=0001 cmd=4001 state=05 check=ok data=01 02");
    EXPECT_EQ(replies[1], "reply pkg=0002 cmd=1002 state=00 check=ok data=00 01 01");
    EXPECT_EQ(replies[2], "reply pkg=0003 cmd=4001 state=00 check=ok data=");
    auto results = r.lines("control");
    ASSERT_EQ(results.size(), 8u) << r.out;
    EXPECT_TRUE(contains(results[3], R"("sensors":"00 01 01")")) << results[3];
    EXPECT_TRUE(contains(results[4], "unknown action 'melt'"));
    EXPECT_TRUE(contains(results[5], "no board 3"));
    EXPECT_TRUE(contains(results[6], "unknown fault kind 'explode'"));
    EXPECT_TRUE(contains(results[7], "not a JSON object"));
    EXPECT_TRUE(contains(r.log, "board0 change: sensors 01 01 01 -> 00 01 01")) << r.log;
}

TEST(KioskSimUsb, EventsReachControlClientsAndStringsAnswer) {
    SimRun r =
        runSim({"--board", "09,devid=00112233445566", "--control", "{scratch}/ctl.sock"},
               {"subscribe", "xfer", "0", "0001", "0601", "FF01", "500", "strings", "0", "events"});
    ASSERT_EQ(r.status, 0) << r.out << r.log;
    EXPECT_EQ(r.lines("strings"),
              std::vector<std::string>{"strings [Simulated kiosk] [Mechanism board SIM-BOARD] "
                                       "[00112233445566]"});
    std::string in, out;
    for (const auto& e : r.lines("event")) {
        if (contains(e, R"("dir":"in")") && contains(e, R"("layer":"frame")")) in = e;
        if (contains(e, R"("dir":"out")")) out = e;
    }
    EXPECT_TRUE(contains(in, R"("hex":"AA BB 07 00 01 00 01 06 FF 01 F8")")) << r.out;
    EXPECT_TRUE(contains(out, R"("hex":"AA BB 07 00 01 00 01 06 00 01 07")")) << r.out;
    EXPECT_TRUE(contains(in, R"("device":"board0")")) << in;
}

TEST(KioskSimUsb, CablePullAndReplace) {
    SimRun r = runSim({"--board", "09", "--board", "09,addr=2", "--control", "{scratch}/ctl.sock"},
                      steps({{"xfer", "1", "0001", "1002", "00", "300"},
                             {"control", R"({"action":"unplug","board":1,"ms":300})"},
                             {"xfer", "1", "0002", "1002", "00", "300"},
                             {"await-devices", "2", "10000"},
                             {"list"},
                             {"xfer", "1", "0003", "0601", "FF01", "300"}}));
    EXPECT_EQ(r.status, 1) << r.out << r.log;
    EXPECT_EQ(r.lines("error").size(), 1u) << r.out;
    EXPECT_TRUE(contains(r.lines("error")[0], "NO_DEVICE")) << r.out;
    // The board comes back under a new device number, still second on the bus.
    EXPECT_EQ(r.lines("device"),
              (std::vector<std::string>{"device 0483:5740 001/002", "device 0483:5740 001/004"}));
    ASSERT_EQ(r.lines("reply").size(), 2u) << r.out;
    EXPECT_EQ(r.lines("reply")[1], "reply pkg=0003 cmd=0601 state=00 check=ok data=02");
    EXPECT_TRUE(contains(r.log, "board1 change: cable pulled"));
    EXPECT_TRUE(contains(r.log, "board1 change: cable plugged in"));
}

TEST(KioskSimUsb, UnplugFaultTakesTheBoardAwayMidExchange) {
    SimRun r = runSim({"--board", "09", "--fault", "0:unplug,cmd=0x4001,ms=200"},
                      {"xfer", "0", "0001", "4001", "00", "300", "await-devices", "1", "10000",
                       "xfer", "0", "0002", "4001", "00", "300"});
    EXPECT_EQ(r.status, 1) << r.out << r.log;
    EXPECT_TRUE(contains(r.lines("error")[0], "NO_DEVICE")) << r.out;
    EXPECT_EQ(r.lines("reply").size(), 1u) << r.out;
}

TEST(KioskSimUsb, ADriverKilledMidReadDoesNotSwallowTheNextReply) {
    std::string script =
        "f=\"$TMPDIR/reading\"; mkfifo \"$f\"; \"$0\" idle 0 5000 > \"$f\" & p=$!; "
        "read started < \"$f\"; kill -9 $p; wait $p; "
        "\"$0\" xfer 0 0001 0601 FF01 1000";
    SimRun r = runSim({"--board", "09"}, {}, 20000, {"/bin/sh", "-c", script, boardClient()});
    EXPECT_EQ(r.status, 0) << r.out << r.log;
    EXPECT_EQ(r.lines("reply"),
              std::vector<std::string>{"reply pkg=0001 cmd=0601 state=00 check=ok data=01"});
}

TEST(KioskSimUsb, BlockedReadDoesNotBusyPoll) {
    SimRun r = runSim({"--board", "09"}, {"idle", "0", "2000"});
    ASSERT_EQ(r.status, 0) << r.out;
    auto idle = r.lines("idle");
    ASSERT_EQ(idle.size(), 1u) << r.out;
    long cpu = -1, wall = -1;
    ASSERT_EQ(
        sscanf(idle[0].c_str(), "idle LIBUSB_ERROR_TIMEOUT cpu_ms=%ld wall_ms=%ld", &cpu, &wall), 2)
        << idle[0];
    EXPECT_GE(wall, 1900);
    EXPECT_LT(cpu, wall / 20) << "a blocked 2 s read must use under 5 % of a core";
}

TEST(KioskSimUsb, DelaysScaleWithSpeed) {
    // How long the exchange itself took, as the driver saw it.
    auto exchangeMs = [](const char* speed) {
        SimRun r = runSim({"--board", "09", "--speed", speed, "--reply", "4001=00@1500"},
                          {"clock", "xfer", "0", "0001", "4001", "00", "3000", "clock"});
        EXPECT_EQ(r.status, 0) << r.out;
        auto clocks = r.lines("clock");
        if (clocks.size() != 2) return -1L;
        return std::stol(clocks[1].substr(6)) - std::stol(clocks[0].substr(6));
    };
    EXPECT_GE(exchangeMs("1"), 1500);
    EXPECT_GE(exchangeMs("0.5"), 750);
    EXPECT_LT(exchangeMs("0.5"), 1500);
    long instant = exchangeMs("0");
    EXPECT_GE(instant, 0);
    EXPECT_LT(instant, 750);
}

std::string serialName() {
    return "ksimtest" + std::to_string(getpid());
}

TEST(KioskSimSerial, ExchangeJunkAndCleanUp) {
    std::string name = serialName();
    std::string path = "/dev/" + name;
    SimRun r = runSim({"--serial", name + ":09,addr=4", "--fault", "0:junk,cmd=0x0104", "--fault",
                       "0:bad_stuffing,cmd=0x0105"},
                      {"serial", path, "0001", "0601", "FF01", "500", "serial", path, "00AA",
                       "0104", "AA", "500", "serial", path, "0003", "0105", "00", "500"});
    ASSERT_EQ(r.status, 0) << r.out << r.log;
    auto raw = r.lines("serial-raw");
    ASSERT_EQ(raw.size(), 3u) << r.out;
    EXPECT_EQ(raw[0], "serial-raw AA BB 07 00 01 00 01 06 00 04 02");
    // Junk first; the package low byte 0xAA comes stuffed.
    EXPECT_EQ(raw[1].rfind("serial-raw 11 22 AA BB 0F 00 AA 00 00 04 01 00", 0), 0u) << raw[1];
    // The reply has no 0xAA of its own: a badly stuffed AA 55 sits before the check byte.
    EXPECT_TRUE(contains(raw[2], "AA 55")) << raw[2];
    EXPECT_TRUE(contains(r.log, "change: line " + path + " set to 115200 8N1")) << r.log;
    EXPECT_TRUE(contains(r.log, "package 00AA command 0104 data AA")) << r.log;
    EXPECT_NE(access(path.c_str(), F_OK), 0) << path << " must be removed on exit";
}

TEST(KioskSimSetup, RefusesToReplaceFilesItDidNotMake) {
    std::string path = "/tmp/ksimtest-file-" + std::to_string(getpid());
    for (Args args : {Args{"--serial", path + ":09"}, Args{"--control", path}}) {
        { std::ofstream(path) << "keep"; }
        SimRun r = runSim(args, {"list"});
        EXPECT_EQ(r.status, args[0] == "--serial" ? 2 : 125) << args[0];
        std::ifstream in(path);
        std::string kept;
        in >> kept;
        EXPECT_EQ(kept, "keep") << args[0];
        unlink(path.c_str());
    }
}

TEST(KioskSimChild, ExitStatusAndLeftovers) {
    struct Case {
        Args command;
        int status;
    } cases[] = {
        {{"/bin/sh", "-c", "exit 7"}, 7},
        {{"/bin/sh", "-c", "kill -TERM $$"}, 128 + SIGTERM},
        {{"/nonexistent/program"}, 127},
    };
    for (const auto& c : cases) {
        SimRun r = runSim({"--board", "09"}, {}, 20000, c.command);
        EXPECT_EQ(r.status, c.status) << c.command.back();
    }
    // A process the command leaves behind is ended with it.
    auto start = std::chrono::steady_clock::now();
    SimRun r = runSim({"--board", "09"}, {}, 20000,
                      {"/bin/sh", "-c", "sleep 30 & echo $! > \"$TMPDIR/orphan\"; exit 3"});
    EXPECT_EQ(r.status, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    std::ifstream in(r.scratch + "/orphan");
    pid_t orphan = 0;
    in >> orphan;
    ASSERT_GT(orphan, 0);
    EXPECT_NE(kill(orphan, 0), 0) << "the orphaned sleep must be gone";
}

TEST(KioskSimChild, UsageErrors) {
    for (Args bad : {Args{"--board", "zz"}, Args{"--bogus", "1"}, Args{"--speed", "fast"},
                     Args{"--fault", "5:no_reply"}, Args{"--reply", "4001"}}) {
        SimRun r = runSim(bad, {"list"});
        EXPECT_EQ(r.status, 2) << bad[0] << " " << bad[1];
    }
}

// Lines of the client's output that start with one of `prefixes`, in order.
std::vector<std::string> linesOf(const SimRun& r, std::initializer_list<const char*> prefixes) {
    std::vector<std::string> found;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        for (const char* p : prefixes) {
            if (line.rfind(p, 0) == 0) {
                found.push_back(line);
                break;
            }
        }
    }
    return found;
}

TEST(KioskSimStrict, BoardRefusesWhatItsFirmwareRefuses) {
    struct Case {
        Args step;
        std::string strict, lenient;
    } cases[] = {
        {{"0001", "7E7E", "-"}, "state=01 check=ok data=", "state=00 check=ok data="},
        {{"0002", "4003", "-"}, "state=02 check=ok data=", "state=00 check=ok data="},
        {{"0003", "4003", "01"}, "state=00 check=ok data=", "state=00 check=ok data="},
        {{"0004", "4009", "01"}, "state=01 check=ok data=", "state=00 check=ok data="},
        {{"0005", "0211", "00A40400"}, "state=00 check=ok data=90 00", "state=00 check=ok data="},
        {{"0006", "0311", "00A4"}, "state=00 check=ok data=67 00", "state=00 check=ok data="},
    };
    for (bool strict : {true, false}) {
        Args client;
        for (const auto& c : cases) {
            client.insert(client.end(), {"xfer", "0", c.step[0], c.step[1], c.step[2], "300"});
        }
        SimRun r = runSim({"--board", "00,card=2", strict ? "--strict" : "--lenient"}, client);
        ASSERT_EQ(r.status, 0) << r.out << r.log;
        auto replies = r.lines("reply");
        ASSERT_EQ(replies.size(), std::size(cases)) << r.out;
        for (size_t i = 0; i < replies.size(); ++i) {
            const auto& c = cases[i];
            EXPECT_EQ(replies[i], "reply pkg=" + c.step[0] + " cmd=" + c.step[1] + " " +
                                      (strict ? c.strict : c.lenient))
                << (strict ? "strict" : "lenient");
        }
        EXPECT_EQ(contains(r.log, "sim notice: lenient:"), !strict) << r.log;
        EXPECT_EQ(
            contains(r.log, "board0 refused: command 7E7E is not in this board's command set"),
            strict)
            << r.log;
        EXPECT_EQ(contains(r.log, "command 4003 takes 1 byte of data, not 0: state 02"), strict);
        EXPECT_EQ(contains(r.log, "APDU 00 A4 is malformed: status word 67 00"), strict);
    }
    SimRun help = runSim({"--help"}, {}, 20000, {"/bin/true"});
    EXPECT_TRUE(contains(help.out, "state 01 for a command outside its command set")) << help.out;
    EXPECT_TRUE(contains(help.out, "02 malformed request")) << help.out;
}

TEST(KioskSimStrict, UsbTransferTypesFollowUsbfs) {
    // The printer's 02 is an interrupt OUT endpoint and 82 a bulk IN one; the board's 01
    // is an interrupt OUT endpoint. An enquiry makes the printer queue a NAK.
    const std::string enquiry = "D1 10 05 00 00 00";
    const std::string report = "01 0A 09 AA BB 05 00 01 00 01 30 30";
    struct Case {
        Args step;
        std::string strict, lenient;
    } cases[] = {
        {{"0483:5760", "interrupt", "02", enquiry}, "ok", "ok"},
        {{"0483:5760", "interrupt", "82", "-"}, "LIBUSB_ERROR_IO", "ok D7 10 15"},
        {{"0483:5760", "bulk", "82", "-"}, "ok D7 10 15", "LIBUSB_ERROR_TIMEOUT"},
        {{"0483:5760", "bulk", "02", enquiry}, "ok", "ok"},
        {{"0483:5760", "bulk", "82", "-"}, "ok D7 10 15", "ok D7 10 15"},
        {{"0483:5760", "bulk", "05", "00"}, "LIBUSB_ERROR_IO", "ok"},
        {{"0483:5740", "bulk", "01", report}, "ok", "ok"},
    };
    for (bool strict : {true, false}) {
        Args client;
        for (const auto& c : cases) {
            client.insert(client.end(), {"usb", c.step[0], c.step[1], c.step[2], c.step[3], "300"});
        }
        SimRun r = runSim(
            {"--printer", "SIM000000001", "--board", "09", strict ? "--strict" : "--lenient"},
            client);
        auto lines = r.lines("usb ");
        ASSERT_EQ(lines.size(), std::size(cases)) << r.out << r.log;
        for (size_t i = 0; i < lines.size(); ++i) {
            const auto& c = cases[i];
            const std::string want =
                "usb " + c.step[1] + " " + c.step[2] + " " + (strict ? c.strict : c.lenient);
            EXPECT_EQ(lines[i].substr(0, want.size()), want) << (strict ? "strict" : "lenient");
        }
        for (const char* text :
             {"usbfs: interrupt transfer on bulk endpoint 82 refused",
              "usbfs: bulk transfer on interrupt endpoint 02 carried out as an "
              "interrupt transfer",
              "usbfs: bulk transfer to endpoint 05, which the device does not"}) {
            EXPECT_EQ(contains(r.log, text), strict) << text << "\n" << r.log;
        }
    }
}

TEST(KioskSimSerial, LineSettingsMustMatchTheBoards) {
    const std::string base = "/dev/" + serialName();
    const std::string plain = base + "a", slow = base + "b", even = base + "c";
    struct Case {
        std::string send, read, path, command;
        bool answered;  // else nothing readable comes back
    } cases[] = {
        {"115200,8N1", "115200,8N1", plain, "0104", true},
        {"9600,8N1", "9600,8N1", slow, "0104", true},
        {"115200,8E1", "115200,8E1", even, "0104", true},
        {"9600,8N1", "9600,8N1", plain, "0104", false},
        {"115200,7E1", "115200,7E1", plain, "0104", false},
        {"115200,8N1", "115200,8N1", slow, "0104", false},
        {"115200,8N1", "115200,8N1", even, "0104", false},
        {"115200,8O1", "115200,8O1", even, "0104", false},
        {"115200,8N2", "115200,8N2", plain, "0104", false},
        // The request gets through; the reply comes after the host changed its line.
        {"115200,8N1", "9600,8N1", plain, "4001", false},
    };
    for (bool strict : {true, false}) {
        Args client;
        for (const auto& c : cases) {
            client.insert(client.end(),
                          {"serial-at", c.send, c.read, c.path, "0001", c.command, "-", "600"});
        }
        SimRun r =
            runSim({"--serial", plain.substr(5) + ":09", "--serial",
                    slow.substr(5) + ":09,baud=9600", "--serial", even.substr(5) + ":09,frame=8E1",
                    "--reply", "4001=00@400", strict ? "--strict" : "--lenient"},
                   client);
        auto results = linesOf(r, {"serial-raw", "timeout"});
        ASSERT_EQ(results.size(), std::size(cases)) << r.out << r.log;
        for (size_t i = 0; i < results.size(); ++i) {
            const auto& c = cases[i];
            const bool valid = results[i].rfind("serial-raw AA BB", 0) == 0;
            EXPECT_EQ(valid, c.answered || !strict)
                << c.path << " " << c.send << "/" << c.read << ": " << results[i];
            if (strict && !c.answered) {
                EXPECT_FALSE(contains(results[i], "AA")) << results[i];
            }
        }
        EXPECT_EQ(contains(r.log, "line " + plain +
                                      " set to 9600 8N1; the board runs it at 115200 8N1, so the "
                                      "bytes both ways arrive garbled"),
                  strict)
            << r.log;
        EXPECT_EQ(contains(r.log, "(sent at 115200 8E1, heard at 115200 8N1)"), strict);
        EXPECT_EQ(contains(r.log, "(as the host reads it at 9600 8N1)"), strict);
        EXPECT_EQ(contains(r.log, "(lenient: the bytes pass unchanged)"), !strict);
    }
}

// One host packet carrying the printer data frame of `payload` (sequence 0).
std::string printerPacket(const std::vector<unsigned char>& payload) {
    std::vector<unsigned char> f = {0x10, 0x02, static_cast<unsigned char>(payload.size()),
                                    0,    0,    0};
    f.insert(f.end(), payload.begin(), payload.end());
    f.insert(f.end(), {0, 0, 0, 0x10, 0x03});
    unsigned crc = 0;
    for (unsigned char b : f) {
        crc ^= static_cast<unsigned>(b) << 8;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
    }
    f.push_back(static_cast<unsigned char>(crc & 0xFF));
    f.push_back(static_cast<unsigned char>((crc >> 8) & 0xFF));
    std::string text = "D1";
    char byte[4];
    for (unsigned char b : f) {
        snprintf(byte, sizeof byte, " %02X", b);
        text += byte;
    }
    return text;
}

TEST(KioskSimStrict, PrinterAnswersMalformedRequestsWithItsErrorStatus) {
    using P = std::vector<unsigned char>;
    auto request = [](unsigned char code, P stamp, P rest) {
        P p = {code};
        p.insert(p.end(), stamp.begin(), stamp.end());
        p.insert(p.end(), rest.begin(), rest.end());
        return p;
    };
    const P now = {0x20, 0x26, 0x12, 0x11, 0x15, 0x37, 0x25};
    const P zeros(10, 0);
    P stray = zeros;
    stray[9] = 0x01;
    struct Case {
        P payload;
        const char* strict;  // reply status byte
        const char* why;     // journal text of the refusal
    } cases[] = {
        {request(0x57, now, zeros), "00", nullptr},
        {request(0x57, {0x20, 0x26, 0x13, 0x11, 0x15, 0x37, 0x25}, zeros), "02",
         "request refused: time stamp month 13 out of range"},
        {request(0x7E, now, zeros), "03", "request refused: command 7E is not in the printer's"},
        {request(0x57, now, stray), "02", "the 10 bytes after the command data are not all zero"},
        {request(0x57, now, P(9, 0)), "02", "takes 0 data bytes and 10 zero bytes, got 9"},
    };
    for (bool strict : {true, false}) {
        Args client;
        for (const auto& c : cases) {
            client.insert(client.end(), {"usb", "0483:5760", "bulk", "02", printerPacket(c.payload),
                                         "500", "usb", "0483:5760", "bulk", "82", "-", "500"});
        }
        SimRun r = runSim({"--printer", "SIM000000001", strict ? "--strict" : "--lenient"}, client);
        auto replies = r.lines("usb bulk 82 ok D7 10 02");
        ASSERT_EQ(replies.size(), std::size(cases)) << r.out << r.log;
        for (size_t i = 0; i < replies.size(); ++i) {
            // Packet: D7, DLE STX, length (4), code, word (4), status.
            std::istringstream in(replies[i].substr(std::string("usb bulk 82 ok ").size()));
            std::vector<std::string> bytes{std::istream_iterator<std::string>(in), {}};
            ASSERT_GT(bytes.size(), 12u);
            EXPECT_EQ(bytes[12], strict ? cases[i].strict : "00") << i;
            if (cases[i].why) {
                EXPECT_EQ(contains(r.log, cases[i].why), strict) << cases[i].why;
            }
        }
    }
}

}  // namespace
}  // namespace ksimtest
