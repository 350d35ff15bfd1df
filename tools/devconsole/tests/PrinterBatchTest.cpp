#include <gtest/gtest.h>

#include "Console.h"
#include "FakeMachine.h"
#include "MockPrinter.h"
#include "PrinterBatch.h"
#include "TestDoubles.h"

namespace devconsole_test {
namespace {

using devconsole::MockPrinter;
using Legs = std::vector<std::pair<int, int>>;

class PrinterBatchRuns : public ::testing::Test {
  protected:
    void SetUp() override {
        scenario() = MachineScenario{};
        scenario().stations = highSpeedStations();
    }

    // The printers of a run; printer j busy since busyMs[j] (negative: idle).
    std::vector<MockPrinter> printers(std::vector<int> busyMs = {-1, -1, -1, -1}) {
        std::vector<MockPrinter> set = devconsole::makeRunPrinters(timing, log);
        const int64_t now = timing.now;
        for (size_t j = 0; j < set.size(); ++j) {
            if (busyMs[j] < 0) continue;
            timing.now = now - busyMs[j];
            set[j].pushCard();
        }
        timing.now = now;
        log.records.clear();
        return set;
    }

    devconsole::PrinterBatch batch() {
        return devconsole::PrinterBatch(requests, out, log, acceptSide);
    }

    const devconsole::DeviceTarget target{3, 7, ""};
    devconsole::SdkChannel channel{sharedSdk()};
    std::ostringstream out;
    devconsole::DeviceRequests requests{channel, out};
    FakeTiming timing;
    RecordingLog log;
    int acceptSide = 0;
};

TEST_F(PrinterBatchRuns, EmptyMachineMovesNothing) {
    auto set = printers();
    EXPECT_EQ(batch().cycle(target, set), 0);
    EXPECT_TRUE(scenario().moves.empty());
    EXPECT_EQ(log.records, (std::vector<std::string>{
                               "=============================Begin=============================",
                               "热敏机检查状态",
                               "没卡，检查Magic卡到热敏机",
                               "计算最近当前出卡口的制证机顺序来传递到热敏机",
                               "检查magiccard卡0",
                               "检查magiccard卡2",
                               "检查magiccard卡3",
                               "没有找到制证机是有卡且做完的，开始检查是不是要制证机补卡",
                           }));
    EXPECT_EQ(out.str().substr(0, 37), "====================================\r");
    EXPECT_NE(out.str().find("=============================Begin=============================\n"),
              std::string::npos);
}

TEST_F(PrinterBatchRuns, HandoffTakesTheNearestFinishedCardAndRefills) {
    struct Case {
        int side;
        int chosen;
        int nextSide;
    };
    for (const Case& c : {Case{4, 2, 5}, Case{7, 3, 0}, Case{1, 0, 2}}) {
        scenario().moves.clear();
        scenario().occupied = {0, 2, 3, 100};
        acceptSide = c.side;
        auto set = printers();
        EXPECT_EQ(batch().cycle(target, set), 0) << c.side;
        EXPECT_EQ(scenario().legs(), (Legs{{c.chosen, 1}, {100, c.chosen}})) << c.side;
        for (int j = 0; j < 4; ++j) EXPECT_EQ(set[j].busy(), j == 1 || j == c.chosen) << j;
        EXPECT_EQ(acceptSide, c.nextSide);
        EXPECT_TRUE(log.has("============找到一个做完的magiccard卡" + std::to_string(c.chosen)));
        EXPECT_TRUE(log.has("入卡到热敏机完成补充magiccard卡" + std::to_string(c.chosen)));
    }
    for (const Move& move : scenario().moves) {
        EXPECT_EQ(move.conditions.getMemberNames(),
                  (std::vector<std::string>{"DevID", "part_id", "target_id"}));
    }
}

TEST_F(PrinterBatchRuns, HandoffWithoutSupplyOnlyFeedsTheThermalPrinter) {
    scenario().occupied = {0, 2, 3};
    acceptSide = 4;
    auto set = printers({-1, -1, 100, -1});  // printer 2 still busy: 3 is next
    EXPECT_EQ(batch().cycle(target, set), 0);
    EXPECT_EQ(scenario().legs(), (Legs{{3, 1}}));
    EXPECT_TRUE(set[1].busy());
    EXPECT_FALSE(set[3].busy());
    EXPECT_EQ(acceptSide, 4);
}

TEST_F(PrinterBatchRuns, RefillFillsTheFirstEmptyPrinter) {
    struct Case {
        std::set<int> occupied;
        Legs legs;
        int filled;
    };
    const Case cases[] = {
        {{2, 3, 100}, {{100, 0}}, 0},
        {{0, 3, 100}, {{100, 2}}, 2},
        {{2, 3}, {}, -1},  // nothing in the supply
        {{}, {}, -1},
    };
    for (const Case& c : cases) {
        scenario().moves.clear();
        scenario().occupied = c.occupied;
        auto set = printers();
        EXPECT_EQ(batch().refill(target, set), 0);
        EXPECT_EQ(scenario().legs(), c.legs);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(set[j].busy(), j == c.filled);
        if (c.filled >= 0) {
            EXPECT_TRUE(log.has("补充magiccard卡" + std::to_string(c.filled)));
        }
    }
}

TEST_F(PrinterBatchRuns, TrolleyWaitsWhereTheNextCardIsReady) {
    struct Case {
        std::set<int> occupied;
        std::vector<int> busyMs;
        int to;
        const char* line;
    };
    const Case cases[] = {
        {{0, 2, 3}, {10, -1, 50, 30}, 2, "移动小车到最近的就快完成的工位2"},
        {{0, 2, 3}, {60, -1, 50, 30}, 0, "移动小车到最近的就快完成的工位0"},
        {{0, 2, 3}, {-1, -1, -1, -1}, 0, "移动小车到最近的就快完成的工位0"},
        {{0, 2, 3}, {50, -1, 50, 30}, 0, "移动小车到最近的就快完成的工位0"},
        {{0, 1, 2, 3}, {10, -1, 50, 30}, 1, "移动小车到热敏工口待命1"},
        {{0, 2, 3}, {10, 20, 50, 30}, 1, "移动小车到热敏工口待命1"},
    };
    for (const Case& c : cases) {
        scenario().moves.clear();
        scenario().occupied = c.occupied;
        out.str("");
        auto set = printers(c.busyMs);
        EXPECT_EQ(batch().refill(target, set), 0) << c.line;
        EXPECT_EQ(scenario().legs(), (Legs{{200, c.to}})) << c.line;
        EXPECT_TRUE(log.has(c.line)) << c.line;
        EXPECT_NE(out.str().find(std::string(c.line) + "\n"), std::string::npos) << c.line;
        if (c.to != 1 && c.busyMs[2] == 50) {
            EXPECT_TRUE(log.has("剩余时间50")) << c.line;
        }
    }
}

TEST_F(PrinterBatchRuns, FinishedThermalCardGoesToTheExitSlotOfTheSide) {
    scenario().occupied = {1, 2, 100};
    acceptSide = 5;
    auto set = printers();
    EXPECT_EQ(batch().cycle(target, set), 0);
    EXPECT_EQ(scenario().legs(), (Legs{{1, 25}, {2, 1}, {100, 2}}));
    EXPECT_TRUE(log.has("热敏机送出排卡口"));
    EXPECT_TRUE(log.has("检查Magic卡到热敏机"));
    EXPECT_EQ(acceptSide, 6);
}

TEST_F(PrinterBatchRuns, BusyThermalPrinterLeavesItsCardAndRefills) {
    scenario().occupied = {0, 1, 3, 100};
    auto set = printers({-1, 1000, -1, -1});
    EXPECT_EQ(batch().cycle(target, set), 0);
    EXPECT_EQ(scenario().legs(), (Legs{{100, 2}}));
    EXPECT_TRUE(log.has("制证中，检查Magic卡补卡"));
    EXPECT_FALSE(log.has("热敏机送出排卡口"));
    EXPECT_TRUE(log.has("正在制证中1000"));
}

TEST_F(PrinterBatchRuns, RefusedMoveEndsTheCycle) {
    scenario().occupied = {0, 2, 3, 100};
    scenario().refusals = {{0, 13}};
    auto set = printers();
    EXPECT_EQ(batch().cycle(target, set), 13);
    EXPECT_EQ(scenario().legs(), (Legs{{0, 1}}));
    EXPECT_FALSE(set[1].busy());
    EXPECT_EQ(acceptSide, 0);
}

TEST(MockPrinters, MakingTimeIsElapsedMilliseconds) {
    FakeTiming timing;
    RecordingLog log;
    std::vector<MockPrinter> set = devconsole::makeRunPrinters(timing, log);
    for (MockPrinter& p : set) EXPECT_EQ(p.checkState(), 0);
    EXPECT_TRUE(log.records.empty());
    set[0].pushCard();
    set[1].pushCard();
    timing.now += 14999;
    EXPECT_EQ(set[1].checkState(), 1);
    timing.now += 1;
    EXPECT_EQ(set[1].checkState(), 0);
    EXPECT_EQ(set[0].checkState(), 1);
    timing.now += 15000;
    EXPECT_EQ(set[0].elapsedMs(), 30000);
    EXPECT_EQ(set[0].checkState(), 0);
    EXPECT_EQ(log.records, (std::vector<std::string>{
                               "假装推卡了开始计时", "假装推卡了开始计时", "正在制证中14999",
                               "正在制证中15000", "正在制证时间到完毕", "正在制证中15000",
                               "剩余时间30000", "正在制证中30000", "正在制证时间到完毕"}));
}

TEST(MockPrinters, SystemClockCountsWaitingTime) {
    // A console waiting on I/O uses hardly any processor time; the making
    // time must still run.
    devconsole::SystemTiming timing;
    const int64_t start = timing.nowMs();
    timing.sleepMs(50);
    EXPECT_GE(timing.nowMs() - start, 50);
}

TEST_F(PrinterBatchRuns, CycleKeysOnTheHighSpeedMachineRunTheBatch) {
    // Two single runs: each key press starts with idle printers, so the
    // second finds the thermal printer done with the card the first gave it.
    scenario().occupied = {1, 2, 100};
    TextKeys keys("33");
    devconsole::Console console(channel, keys, out, timing, log);
    console.state() = devconsole::ConsoleState{};
    console.state().menu = 5;
    console.state().connIndex = 3;
    console.state().modelIndex = 7;
    EXPECT_EQ(console.run(), 0);
    EXPECT_EQ(scenario().legs(), (Legs{{1, 20}, {2, 1}, {100, 2}, {1, 21}, {2, 1}, {100, 2}}));
    EXPECT_EQ(console.state().acceptSide, 2);
    EXPECT_EQ(timing.sleeps, (std::vector<int>{3000, 3000}));
    EXPECT_NE(out.str().find("操作第[1]次 成功1次 失败0次 \n"), std::string::npos);
}

TEST_F(PrinterBatchRuns, RepeatedRunKeepsItsPrintersAcrossCycles) {
    // The thermal printer, fed in the first cycle, is still busy in the next
    // two, which refill printer 0 instead; the third one's move is refused.
    scenario().occupied = {1, 2, 100};
    scenario().refusals = {{4, 13}};
    TextKeys keys("2");
    devconsole::Console console(channel, keys, out, timing, log);
    console.state().menu = 5;
    console.state().connIndex = 3;
    console.state().modelIndex = 7;
    EXPECT_EQ(console.run(), 0);
    EXPECT_EQ(scenario().legs(), (Legs{{1, 20}, {2, 1}, {100, 2}, {100, 0}, {100, 0}}));
    EXPECT_NE(out.str().find("操作第[2]次 成功2次 失败0次 \n"), std::string::npos);
    EXPECT_EQ(out.str().find("操作第[3]次"), std::string::npos);
    EXPECT_TRUE(log.has("制证中，检查Magic卡补卡"));
}

}  // namespace
}  // namespace devconsole_test
