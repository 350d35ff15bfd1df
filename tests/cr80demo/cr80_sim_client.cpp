// cr80demo driven through a pseudo-terminal, under kiosk-sim (started by
// cr80_sim_test): the menus, a card taken in, printed upright and turned, put out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ControlClient.h"
#include "LibCR80SDK.h"
#include "PtyProgram.h"
#include "TempTree.h"

namespace {

using cr80test::readFile;

const char kDeviceMenu[] = "\r\n选择操作对象--\r\n-1:退出  \r\n0:打印机序列号：A1\n\n";
const char kOperationMenu[] =
    "\r\n选择操作--\r\n-1：退出\r\n0：返回设备选择 \r\n1：打印样例 \r\n2：获取卡片入卡口状态 "
    "\r\n3：获取剩余次数 \r\n4：进卡 \r\n5：出卡 \r\n6：180度旋转打印样例 \r\n7：清洁 \r\n8：黑卡 "
    "\r\n9技术测试卡：出卡 \r\n\n";

// A folder below the scenario's scratch folder, with the SDK library in it.
std::string demoDir(const char* name, bool withSdk) {
    const std::string dir = std::string(std::getenv("TMPDIR")) + "/" + name;
    mkdir(dir.c_str(), 0755);
    if (withSdk) {
        const std::string lib = readFile(KQCR80_SDK);
        std::FILE* f = std::fopen((dir + "/KQCR80Printer.so").c_str(), "wb");
        if (f) {
            std::fwrite(lib.data(), 1, lib.size(), f);
            std::fclose(f);
        }
    }
    return dir;
}

// A saved card: 944 rows of 672 dots, row r along the card's x axis.
struct Card {
    std::vector<bool> dot;
    bool at(int row, int d) const { return dot[static_cast<size_t>(row) * 672 + d]; }
};

bool readCard(const std::string& path, Card* card) {
    const std::string pbm = readFile(path);
    const std::string header = "P4\n672 944\n";
    if (pbm.size() != header.size() + 944 * 84 || pbm.compare(0, header.size(), header) != 0)
        return false;
    card->dot.assign(944 * 672, false);
    for (size_t i = 0; i < 944u * 672u; ++i)
        card->dot[i] = static_cast<unsigned char>(pbm[header.size() + i / 8]) & (0x80 >> (i % 8));
    return true;
}

// A box in canvas pixels (1016 x 648).
struct Box {
    const char* field;
    double x0, x1, y0, y1;
    bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Where the layout puts the three fields: baselines 480 and 528 (address), 576.
const Box kBoxes[] = {{"address", 245, 905, 440, 540},
                      {"authority", 245, 600, 543, 592},
                      {"date", 795, 1010, 543, 592}};

TEST(SimCr80Demo, PrintsTheSampleUprightAndTurned) {
    kqtest::ControlClient sim;
    ASSERT_TRUE(sim.connected());
    kqtest::PtyProgram run({CR80DEMO_BIN}, {demoDir("demo", true), true});
    ASSERT_TRUE(run.expect("in LoadLibCR80SDK6\n")) << run.output();
    ASSERT_TRUE(run.expect(kDeviceMenu)) << run.output();
    run.typeLine("3");
    ASSERT_TRUE(run.expect(kDeviceMenu)) << "a number outside the list shows the menu again";
    run.typeLine("0");
    ASSERT_TRUE(run.expect(kOperationMenu)) << run.output();
    run.typeLine("7");
    ASSERT_TRUE(run.expect(kOperationMenu)) << "7 only shows the menu again";

    const struct {
        const char* key;
        const char* answer;
    } steps[] = {{"2", "CR80IsFeederNoEmpty r=0卡槽没卡\n"},
                 {"4", "CR80CardInject r=0\n"},
                 {"2", "CR80IsFeederNoEmpty r=0卡槽有卡\n"},
                 {"3", "libCR80GetRbnAndFilmRemaining r=0["},
                 {"1", "draw_graphics_to_arrays[TRC46][0]\n"},
                 {"5", "CardEject r=0\n"},
                 {"4", "CR80CardInject r=0\n"},
                 {"6", "draw_graphics_to_arrays[TRC46][0]\n"},
                 {"5", "CardEject r=0\n"}};
    for (const auto& step : steps) {
        run.typeLine(step.key);
        ASSERT_TRUE(run.expect(step.answer, 60000)) << step.key << "\n" << run.output();
        ASSERT_TRUE(run.expect(kOperationMenu, 60000)) << step.key << "\n" << run.output();
    }
    EXPECT_FALSE(sim.printer(0)["card_inside"].asBool());
    run.typeLine("0");
    ASSERT_TRUE(run.expect(kDeviceMenu)) << "0 goes back to the device menu";
    run.typeLine("-1");
    EXPECT_EQ(0, run.wait()) << run.output();

    const std::string fallback = "font file \"./fonts/msyh.ttc\" not found; using";
    const size_t said = run.output().find(fallback);
    EXPECT_NE(std::string::npos, said) << run.output();
    EXPECT_EQ(std::string::npos, run.output().find(fallback, said + 1)) << "said once";

    const Json::Value pictures = sim.printer(0)["pictures"];
    ASSERT_EQ(2u, pictures.size());
    Card upright, turned;
    ASSERT_TRUE(readCard(pictures[0].asString(), &upright));
    ASSERT_TRUE(readCard(pictures[1].asString(), &turned));

    int inBox[3] = {0, 0, 0};
    int outside = 0;
    for (int r = 0; r < 944; ++r) {
        for (int d = 0; d < 672; ++d) {
            if (!upright.at(r, d)) continue;
            const double x = (r + 0.5) * 1016 / 944, y = (d + 0.5) * 648 / 672;
            bool placed = false;
            for (int b = 0; b < 3; ++b) {
                if (kBoxes[b].holds(x, y)) {
                    ++inBox[b];
                    placed = true;
                }
            }
            if (!placed) ++outside;
        }
    }
    for (int b = 0; b < 3; ++b) EXPECT_GT(inBox[b], 100) << kBoxes[b].field;
    EXPECT_EQ(0, outside);

    int differing = 0;
    for (int r = 0; r < 944; ++r)
        for (int d = 0; d < 672; ++d) differing += upright.at(r, d) != turned.at(943 - r, 671 - d);
    EXPECT_EQ(0, differing) << "menu item 6 prints the same card turned by 180 degrees";
}

// The stand-in SDK lists a serial number too long for the demo's 49-byte buffer.
TEST(SimCr80Demo, SerialNumberTooLongIsRefused) {
    const std::string fits(48, 'S'), tooLong(49, 'L');
    setenv("CR80STUB_PRINTERS", (tooLong + "\n" + fits).c_str(), 1);
    const std::string dir = demoDir("stub", false);
    {
        std::FILE* f = std::fopen((dir + "/KQCR80Printer.so").c_str(), "wb");
        ASSERT_NE(nullptr, f);
        const std::string lib = readFile(STUB_FULL);
        std::fwrite(lib.data(), 1, lib.size(), f);
        std::fclose(f);
    }
    kqtest::PtyProgram run({CR80DEMO_BIN}, {dir, true});
    const std::string menu = "\r\n选择操作对象--\r\n-1:退出  \r\n0:打印机序列号：" + tooLong +
                             "\r\n1:打印机序列号：" + fits + "\n\n";
    ASSERT_TRUE(run.expect(menu)) << run.output();
    run.typeLine("0");
    ASSERT_TRUE(run.expect("打印机序列号太长\n")) << run.output();
    ASSERT_TRUE(run.expect(menu)) << run.output();
    run.typeLine("1");
    ASSERT_TRUE(run.expect(kOperationMenu)) << run.output();
    run.typeLine("2");
    ASSERT_TRUE(run.expect("CR80IsFeederNoEmpty r=0卡槽有卡\n")) << run.output();
    run.typeLine("-1");
    EXPECT_EQ(0, run.wait()) << run.output();
    unsetenv("CR80STUB_PRINTERS");
}

TEST(SimCr80Demo, NoSdkAndNoPrinter) {
    {
        kqtest::PtyProgram run({CR80DEMO_BIN}, {demoDir("empty", false), true});
        ASSERT_TRUE(run.expect("in libC80_loadLibrary3[]0\n")) << run.output();
        ASSERT_TRUE(run.expect("没有获取到相应的打印实体\n")) << run.output();
        EXPECT_EQ(0, run.wait()) << run.output();
    }
    kqtest::PtyProgram run({CR80DEMO_BIN}, {demoDir("demo", true), true});
    ASSERT_TRUE(run.expect("请检查USB，枚举设备数量0\n")) << run.output();
    run.typeLine("1");
    EXPECT_EQ(0, run.wait()) << run.output();
}

// The SDK called directly: erase rectangles in canvas pixels become the printer's
// dots, turned with the picture; the counters follow the prints.
TEST(SimCr80Sdk, EraseRectanglesAndCounters) {
    kqtest::ControlClient sim;
    ASSERT_TRUE(sim.connected());
    std::string dir = KQCR80_SDK;
    dir = dir.substr(0, dir.rfind('/') + 1);
    LibCR80SDK sdk;
    ASSERT_EQ(0, sdk.LoadLibCR80SDK("KQCR80Printer.so", dir.c_str()));
    ASSERT_EQ(0, sdk.libCR80LibInit());
    std::vector<char> list(5120, 0);
    int length = 0, count = 0;
    ASSERT_EQ(0, sdk.libCR80EnumUsbPrt(list.data(), &length, &count));
    EXPECT_STREQ("A1", list.data());
    EXPECT_EQ(1, count);
    EXPECT_EQ(2, length);
    EXPECT_EQ(601, sdk.libCR80CardInject("Z9", 0)) << "the driver's code for an unknown printer";
    ASSERT_EQ(0, sdk.libCR80CardInject("A1", 0));

    const struct {
        int degrees;
        bool rect;
        int x0, x1, y0, y1;
    } cases[] = {
        {0, true, 0, 533, 0, 205}, {180, true, 410, 943, 466, 671}, {0, false, 0, 943, 0, 671}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degrees);
        ASSERT_EQ(0, sdk.libCR80PrepareCanvas("A1", 0, 0));
        ASSERT_EQ(0, sdk.libCR80SetPreviewImg("A1", 0, c.degrees, 0, 0, 0));
        if (c.rect) {
            ASSERT_EQ(0, sdk.libCR80SetEraseRect("A1", 0, 0, 574, 198));
        }
        int size = 0;
        ASSERT_EQ(0, sdk.libCR80CommitCanvas("A1", nullptr, &size));
        std::vector<char> data(static_cast<size_t>(size));
        ASSERT_EQ(0, sdk.libCR80CommitCanvas("A1", data.data(), &size));
        ASSERT_EQ(0, sdk.libCR80PrintDraw("A1", data.data(), size, 0, 0));
        EXPECT_EQ(0, sdk.libCR80ClearCanvas("A1"));
        const Json::Value r = sim.printer(0)["last_erase"];
        EXPECT_EQ(c.x0, r["x0"].asInt());
        EXPECT_EQ(c.x1, r["x1"].asInt());
        EXPECT_EQ(c.y0, r["y0"].asInt());
        EXPECT_EQ(c.y1, r["y1"].asInt());
    }
    std::vector<char> text(5024, 0);
    ASSERT_EQ(0, sdk.libCR80GetRbnAndFilmRemaining("A1", text.data()));
    EXPECT_NE(std::string::npos, std::string(text.data()).find("剩余打印次数49997，已打印3张"))
        << text.data();
    ASSERT_EQ(0, sdk.libCR80CardEject("A1", 4));
    int hasCard = 1;
    ASSERT_EQ(0, sdk.libCR80IsFeederNoEmpty("A1", &hasCard));
    EXPECT_EQ(0, hasCard);
    EXPECT_FALSE(sim.printer(0)["card_inside"].asBool());
    EXPECT_EQ(0, sdk.libCR80LibClear());
}

}  // namespace
