// Driver-side scenarios that run under kiosk-sim (started by printer_sim_test with
// the printers each scenario needs). They call the exported functions and compare
// with what the simulated printers report over the control socket.
#include <dirent.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ControlClient.h"
#include "Device.h"
#include "PtyProgram.h"
#include "kqCR80Printer.h"
#include "kqCR80_Pram.h"
#include "kq_ecp_001.h"

namespace {
using kqtest::ControlClient;

constexpr int kNoPrinter = -1;
constexpr int kBadArgument = 0x2000001;

// A picture whose rows all differ, so a reversed row order shows.
std::vector<char> picture() {
    std::vector<char> image(KQ_ECP_IMAGE_BYTES, 0);
    for (int row = 0; row < 944; ++row) {
        image[static_cast<size_t>(row * 84 + (row % 84))] = static_cast<char>(0x80 >> (row % 8));
        image[static_cast<size_t>(row * 84 + 83)] = static_cast<char>(row & 0xFF);
    }
    return image;
}

std::vector<char> reversedRows(const std::vector<char>& image) {
    std::vector<char> out(image.size());
    for (int row = 0; row < 944; ++row) {
        std::memcpy(&out[static_cast<size_t>(row * 84)],
                    &image[static_cast<size_t>((943 - row) * 84)], 84);
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string pbm(const std::vector<char>& image) {
    return "P4\n672 944\n" + std::string(image.begin(), image.end());
}

int dots(const std::vector<char>& image) {
    int n = 0;
    for (char c : image) n += __builtin_popcount(static_cast<unsigned char>(c));
    return n;
}

Json::Value parse(const char* text) {
    Json::Value v;
    std::istringstream in(text);
    Json::parseFromStream(Json::CharReaderBuilder(), in, &v, nullptr);
    return v;
}

kqCR80_Pram* openPrinter(const char* identity) {
    char list[256];
    unsigned length = sizeof list;
    int count = 0;
    if (kq_ecp_enum(list, &length, &count) != 0) return nullptr;
    kqCR80_Pram* p = nullptr;
    return kq_ecp_open(identity, &p) == 0 ? p : nullptr;
}

int requests(ControlClient& sim, int printer) {
    return sim.printer(printer)["requests"].asInt();
}
unsigned lastSequence(ControlClient& sim, int printer) {
    return sim.printer(printer)["last_sequence"].asUInt();
}

std::string scratch(const std::string& name) {
    char cwd[4096];
    const std::string dir = std::string(getcwd(cwd, sizeof cwd) ? cwd : ".") + "/" + name;
    mkdir(dir.c_str(), 0755);
    return dir;
}
}  // namespace

// Printers B2 then A1 on the bus.
TEST(SimEnumerate, ListsInByteOrderAndInformsOnce) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    kqCR80_Pram* p = nullptr;
    EXPECT_EQ(1634, kq_ecp_open("A1", &p));

    char list[64] = "x";
    unsigned length = 5;
    int count = -1;
    EXPECT_EQ(36, kq_ecp_enum(list, &length, &count)) << "A1\\nB2 needs six bytes";
    EXPECT_EQ(5u, length);
    EXPECT_EQ(-1, count);
    length = 6;
    ASSERT_EQ(0, kq_ecp_enum(list, &length, &count));
    EXPECT_STREQ("A1\nB2", list);
    EXPECT_EQ(5u, length);
    EXPECT_EQ(2, count);
    EXPECT_EQ(601, kq_ecp_open("C3", &p));
    // A pointer that is no printer record is refused before it is read.
    int notARecord = 0;
    auto* bogus = reinterpret_cast<kqCR80_Pram*>(&notARecord);
    char buf[2048];
    EXPECT_EQ(kBadArgument, kq_ecp_info(bogus, buf));
    EXPECT_EQ(kBadArgument, kq_ecp_erase(nullptr));
    EXPECT_EQ(kBadArgument, kq_ecp_set_eraserect(bogus, 0, 0, 1, 1));
    ASSERT_EQ(0, kq_ecp_open("A1", &p));

    // A1 is the second printer on the bus.
    const int before = requests(sim, 1);
    char json[2048];
    ASSERT_EQ(0, kq_ecp_info(p, json));
    EXPECT_EQ(before + 3, requests(sim, 1)) << "version, parameters and self-check";
    const Json::Value doc = parse(json);
    EXPECT_EQ(20u, doc.size()) << json;
    EXPECT_EQ("SIMFW-1.00", doc["Version"].asString());
    EXPECT_EQ("A1", doc["Id"].asString());
    EXPECT_EQ("A1", doc["SerialNumber"].asString());
    EXPECT_EQ("A1", doc["serialNumber"].asString());
    EXPECT_EQ("CXBPrinter_1", doc["printer_name"].asString());
    EXPECT_FALSE(doc["hasCard"].asBool());
    EXPECT_EQ(0, doc["CardPosition"].asInt());
    EXPECT_EQ(50000u, doc["RemainTimes"].asUInt());
    for (const char* same : {"currClean", "CurPrtCnt"}) {
        EXPECT_EQ(doc["ContinueCnt"], doc[same]) << same;
    }
    for (const char* same : {"MaxPrtCnt", "maxClean"})
        EXPECT_EQ(doc["CleanCnt"], doc[same]) << same;

    ASSERT_EQ(0, kq_ecp_accept(p, 0));
    EXPECT_TRUE(sim.printer(1)["card_inside"].asBool());
    const int afterAccept = requests(sim, 1);
    char again[2048];
    ASSERT_EQ(0, kq_ecp_info(p, again));
    EXPECT_STREQ(json, again) << "stored values, although a card came in";
    EXPECT_EQ(afterAccept, requests(sim, 1));

    // A failed step leaves the information unfetched: the next call asks again.
    kqCR80_Pram* b2 = nullptr;
    ASSERT_EQ(0, kq_ecp_open("B2", &b2));
    ASSERT_TRUE(sim.fault(0, "status", 1, 0x53));
    const int b2Before = requests(sim, 0);
    EXPECT_EQ(255, kq_ecp_info(b2, json));
    EXPECT_EQ(b2Before + 2, requests(sim, 0)) << "version, then the failing parameters";
    ASSERT_EQ(0, kq_ecp_info(b2, json));
    EXPECT_EQ(b2Before + 4, requests(sim, 0)) << "parameters and self-check again";
    EXPECT_EQ("CXBPrinter_0", parse(json)["printer_name"].asString());
}

// 51 printers P00 to P50: the driver keeps at most 50, the first 50 on the bus.
TEST(SimManyPrinters, AtMostFiftyAreKept) {
    char list[1024];
    unsigned length = sizeof list;
    int count = 0;
    ASSERT_EQ(0, kq_ecp_enum(list, &length, &count));
    EXPECT_EQ(50, count);
    EXPECT_EQ(nullptr, std::strstr(list, "P50")) << list;
    kqCR80_Pram* p = nullptr;
    EXPECT_EQ(0, kq_ecp_open("P49", &p));
    EXPECT_EQ(0, kq_ecp_eject(p));
}

TEST(SimNoPrinter, EnumFailsAndNothingOpens) {
    char list[64] = "x";
    unsigned length = sizeof list;
    int count = 7;
    EXPECT_EQ(kNoPrinter, kq_ecp_enum(list, &length, &count));
    EXPECT_EQ(7, count);
    kqCR80_Pram* p = nullptr;
    EXPECT_EQ(1634, kq_ecp_open("A1", &p));
}

// Printer A1, cards saved by the simulator.
TEST(SimCardFlow, AcceptEraseRectanglesPrintEject) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    kqCR80_Pram* p = openPrinter("A1");
    ASSERT_NE(nullptr, p);

    int before = requests(sim, 0);
    EXPECT_EQ(kBadArgument, kq_ecp_accept(p, 2));
    EXPECT_EQ(0, kq_ecp_eject(p)) << "no card: nothing to put out";
    EXPECT_EQ(before + 1, requests(sim, 0)) << "only the self-check";
    ASSERT_EQ(0, kq_ecp_accept(p, 0));
    EXPECT_TRUE(sim.printer(0)["card_inside"].asBool());

    struct Case {
        double x, y, w, h;
        int x0, x1, y0, y1;
    } cases[] = {{10, 5, 20, 10, 84, 320, 68, 186},
                 {1, 5, 20, 10, 0, 236, 68, 186},
                 {10, 60, 20, 10, 84, 320, 671, 671},
                 {0, 0, 80, 57, 0, 943, 9, 671}};
    for (const auto& c : cases) {
        ASSERT_EQ(0, kq_ecp_set_eraserect(p, c.x, c.y, c.w, c.h));
        ASSERT_EQ(0, kq_ecp_erase(p));
        const Json::Value r = sim.printer(0)["last_erase"];
        EXPECT_EQ(c.x0, r["x0"].asInt()) << c.x << "," << c.y;
        EXPECT_EQ(c.x1, r["x1"].asInt()) << c.x << "," << c.y;
        EXPECT_EQ(c.y0, r["y0"].asInt()) << c.x << "," << c.y;
        EXPECT_EQ(c.y1, r["y1"].asInt()) << c.x << "," << c.y;
    }

    std::vector<char> image = picture();
    ASSERT_EQ(0, kq_ecp_print(p, image.data(), KQ_ECP_IMAGE_BYTES, 944, 672));
    const Json::Value state = sim.printer(0);
    EXPECT_EQ(1, state["prints"].asInt());
    EXPECT_EQ(dots(image), state["card_dots"].asInt());
    ASSERT_EQ(1u, state["pictures"].size());
    EXPECT_TRUE(readFile(state["pictures"][0].asString()) == pbm(image))
        << "the simulated card shows exactly the picture";

    before = requests(sim, 0);
    ASSERT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(before + 2, requests(sim, 0));
    EXPECT_FALSE(sim.printer(0)["card_inside"].asBool());

    // After close the handle reaches no released port: its printer is opened again,
    // and the sequence numbers go on from where they were.
    const unsigned seq = sim.printer(0)["last_sequence"].asUInt();
    EXPECT_EQ(0, kq_ecp_close());
    EXPECT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(seq + 1, sim.printer(0)["last_sequence"].asUInt());
    kqCR80_Pram* again = nullptr;
    EXPECT_EQ(0, kq_ecp_open("A1", &again));
    EXPECT_EQ(p, again);
}

// Printers F0, F1, F2 (fast mode 1 with parameter byte 0 of 0, 1, 2) and N0 (no fast mode).
TEST(SimFastMode, RowOrderFollowsFastModeAndParameterZero) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    struct Case {
        const char* id;
        int printer;
        bool reversed;
    } cases[] = {{"F0", 0, true}, {"F1", 1, true}, {"F2", 2, false}, {"N0", 3, false}};
    const std::vector<char> image = picture();
    for (const auto& c : cases) {
        kqCR80_Pram* p = openPrinter(c.id);
        ASSERT_NE(nullptr, p) << c.id;
        char json[2048];
        ASSERT_EQ(0, kq_ecp_info(p, json)) << c.id;
        EXPECT_EQ(c.printer == 3 ? 0 : 1, parse(json)["fast_mode"].asInt()) << c.id;
        ASSERT_EQ(0, kq_ecp_accept(p, 1)) << c.id;
        std::vector<char> copy = image;
        ASSERT_EQ(0, kq_ecp_print(p, copy.data(), KQ_ECP_IMAGE_BYTES, 944, 672)) << c.id;
        const Json::Value pictures = sim.printer(c.printer)["pictures"];
        ASSERT_EQ(1u, pictures.size()) << c.id;
        EXPECT_TRUE(readFile(pictures[0].asString()) ==
                    pbm(c.reversed ? reversedRows(image) : image))
            << c.id << (c.reversed ? " should be reversed" : " should keep the row order");
    }
}

// Printer A1; every fault is armed for all three attempts of a command.
TEST(SimLink, HandshakeAndReplyChecks) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    kqCR80_Pram* p = openPrinter("A1");
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(0, kq_ecp_eject(p));

    // Two acknowledges, then the reply: two enquiries, both with the request's number.
    Json::Value busy;
    busy["acks"] = 2;
    ASSERT_TRUE(sim.action("printer_busy", 0, busy));
    const int enquiries = sim.printer(0)["enquiries"].asInt();
    ASSERT_EQ(0, kq_ecp_eject(p));
    Json::Value state = sim.printer(0);
    EXPECT_EQ(enquiries + 2, state["enquiries"].asInt());
    const Json::Value seqs = state["enquiry_sequences"];
    ASSERT_GE(seqs.size(), 2u);
    EXPECT_EQ(state["last_sequence"], seqs[seqs.size() - 1]);
    EXPECT_EQ(state["last_sequence"], seqs[seqs.size() - 2]);
    busy["acks"] = 0;
    ASSERT_TRUE(sim.action("printer_busy", 0, busy));

    // A reply one number lower: 227, and the number is not used up.
    ASSERT_TRUE(sim.fault(0, "bad_seq", 3, 0x57));
    EXPECT_EQ(227, kq_ecp_eject(p));
    unsigned seq = lastSequence(sim, 0);
    ASSERT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(seq, lastSequence(sim, 0));

    // A reply to another command: 225, although every attempt advanced the counter.
    ASSERT_TRUE(sim.fault(0, "wrong_cmd", 3, 0x57));
    EXPECT_EQ(225, kq_ecp_eject(p));
    seq = lastSequence(sim, 0);
    ASSERT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(seq + 1, lastSequence(sim, 0));

    struct Case {
        const char* kind;
        int code;
    } cases[] = {{"nak", 225}, {"bad_crc", 233}};
    for (const auto& c : cases) {
        const int before = requests(sim, 0);
        ASSERT_TRUE(sim.fault(0, c.kind, 3, 0x57));
        EXPECT_EQ(c.code, kq_ecp_eject(p)) << c.kind;
        EXPECT_EQ(before + 3, requests(sim, 0)) << c.kind;
        EXPECT_EQ(0, kq_ecp_eject(p)) << c.kind << " cleared";
    }

    // A failure status still hands the reply data out.
    ASSERT_TRUE(sim.fault(0, "status", 1, 0x5A));
    kq_ecp_001 link;
    char out[28] = {};
    int outLen = 0;
    EXPECT_EQ(255, link.SendCommond(p->port, 0x5A, nullptr, 0, out, &outLen, 28, 5000, 3));
    EXPECT_EQ(28, outLen);
    EXPECT_STREQ("A1", out);
}

TEST(SimLink, PulledCableDuringAWriteReopensOncePerAttempt) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    const std::string trace = scratch("trace") + "/";
    Device::setTraceDirectory(trace);
    kqCR80_Pram* p = openPrinter("A1");
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(0, kq_ecp_accept(p, 0));
    ASSERT_TRUE(sim.fault(0, "unplug", 1, 0x59));
    std::vector<char> image = picture();
    EXPECT_EQ(232, kq_ecp_print(p, image.data(), KQ_ECP_IMAGE_BYTES, 944, 672));
    EXPECT_FALSE(sim.printer(0)["plugged"].asBool());
    EXPECT_EQ(0, sim.printer(0)["prints"].asInt());
    Device::setTraceDirectory("/nonexistent/");

    // Two attempts of the image, each: a failed write, the re-open, the failed repeat.
    std::string text;
    if (DIR* d = opendir(trace.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::strncmp(e->d_name, "1_kqdev_", 8) == 0) text += readFile(trace + e->d_name);
        }
        closedir(d);
    }
    size_t failures = 0;
    const std::string mark = "[S ERROR_SendCommandAndWaitRec]:";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
        ++failures;
    }
    EXPECT_EQ(4u, failures);
}

// Printer A1: faults that cost the driver's 5-second read timeout.
TEST(SimSlowLink, SilentPrinterAndLateReply) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    kqCR80_Pram* p = openPrinter("A1");
    ASSERT_NE(nullptr, p);

    int before = requests(sim, 0);
    ASSERT_TRUE(sim.fault(0, "no_reply", 3, 0x57));
    EXPECT_EQ(230, kq_ecp_eject(p));
    EXPECT_EQ(before + 3, requests(sim, 0));

    // The second attempt (same number) is answered at once; the first attempt's reply
    // comes later, waits, and is refused by the next command for its number (227),
    // which then succeeds on its second attempt.
    Json::Value late;
    late["ms"] = 6500;
    ASSERT_TRUE(sim.fault(0, "late", 1, 0x57, late));
    before = requests(sim, 0);
    EXPECT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(before + 2, requests(sim, 0));
    for (int i = 0; i < 100 && sim.printer(0)["late_replies"].asInt() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(1, sim.printer(0)["late_replies"].asInt());
    EXPECT_EQ(0, kq_ecp_eject(p));
    EXPECT_EQ(before + 4, requests(sim, 0));
}

namespace {
std::string ecptestDir() {
    return scratch("ecptest-run");
}
}  // namespace

TEST(SimEcptest, NoPrinter) {
    kqtest::PtyProgram run({ECPTEST_BIN}, {ecptestDir(), true});
    ASSERT_TRUE(run.started());
    EXPECT_TRUE(run.expect("枚举设备失败r=-1")) << run.output();
    run.typeLine("3");
    EXPECT_EQ(0, run.wait()) << run.output();
}

// Printer A1 that refuses its identity query: enumeration succeeds with no printer.
TEST(SimEcptest, PrinterWithoutIdentity) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    ASSERT_TRUE(sim.fault(0, "nak", 3, 0x5A));
    kqtest::PtyProgram run({ECPTEST_BIN}, {ecptestDir(), true});
    EXPECT_TRUE(run.expect("请检查USB，枚举设备数量0")) << run.output();
    run.typeLine("1");
    EXPECT_EQ(0, run.wait()) << run.output();
}

// Printers A1 and B2.
TEST(SimEcptest, MenusEraseAndPrint) {
    ControlClient sim;
    ASSERT_TRUE(sim.connected());
    const std::string dir = ecptestDir();
    const std::vector<char> image = picture();
    { std::ofstream(dir + "/pmb_pmb.pbm", std::ios::binary) << pbm(image); }
    Json::Value card;
    card["inside"] = true;
    ASSERT_TRUE(sim.action("printer_card", 1, card));

    kqtest::PtyProgram run({ECPTEST_BIN}, {dir, true});
    const std::string menu = "\r\n选择操作对象--\r\n-1:退出  \r\n0:A1\r\n1:B2\n";
    ASSERT_TRUE(run.expect(menu)) << run.output();
    run.typeLine("5");
    ASSERT_TRUE(run.expect(menu)) << "an index outside the list shows the menu again";
    run.typeLine("0");
    ASSERT_TRUE(run.expect("请选择功能：\r\n0:打印\r\n1:擦卡\r\n\n")) << run.output();
    run.typeLine("2");
    ASSERT_TRUE(run.expect("未定义胡功能\n")) << run.output();
    ASSERT_TRUE(run.expect(menu)) << run.output();

    run.typeLine("1");
    ASSERT_TRUE(run.expect("请选择功能")) << run.output();
    run.typeLine("1");
    ASSERT_TRUE(run.expect(menu)) << run.output();
    EXPECT_EQ(1, sim.printer(1)["erases"].asInt());

    run.typeLine("1");
    ASSERT_TRUE(run.expect("请选择功能")) << run.output();
    run.typeLine("0");
    ASSERT_TRUE(run.expect(menu, 30000)) << run.output();
    const Json::Value pictures = sim.printer(1)["pictures"];
    ASSERT_EQ(1u, pictures.size());
    EXPECT_TRUE(readFile(pictures[0].asString()) == pbm(image));

    run.typeLine("-1");
    EXPECT_EQ(0, run.wait()) << run.output();
}

// Printer A1 without a card and without the picture file.
TEST(SimEcptest, FailuresEndAfterAKeyPress) {
    const std::string dir = ecptestDir();
    {
        kqtest::PtyProgram run({ECPTEST_BIN}, {dir, true});
        ASSERT_TRUE(run.expect("0:A1")) << run.output();
        run.typeLine("0");
        run.typeLine("0");
        EXPECT_TRUE(run.expect("找不到图片0")) << run.output();
        run.typeLine("x");
        run.typeLine("4");
        EXPECT_EQ(0, run.wait()) << run.output();
    }
    kqtest::PtyProgram run({ECPTEST_BIN}, {dir, true});
    ASSERT_TRUE(run.expect("0:A1")) << run.output();
    run.typeLine("0");
    run.typeLine("1");
    EXPECT_TRUE(run.expect("设备擦卡失败r=255")) << "erasing without a card" << run.output();
    run.typeLine("0");
    EXPECT_EQ(0, run.wait()) << run.output();
}
