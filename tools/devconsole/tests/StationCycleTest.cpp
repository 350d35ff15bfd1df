#include <gtest/gtest.h>

#include "CycleRuns.h"
#include "FakeMachine.h"
#include "StationCycle.h"
#include "TestDoubles.h"

namespace devconsole_test {
namespace {

using Legs = std::vector<std::pair<int, int>>;

const Legs kCycleLegs = {{0, 1}, {1, 2}, {2, 10}, {10, 5}, {4, 3}, {3, 7}};

class StationCycles : public ::testing::Test {
  protected:
    void SetUp() override {
        scenario() = MachineScenario{};
        scenario().deviceType = 9;
        scenario().stations = standardStations(11);
        scenario().occupied = {0};
        state.connIndex = 3;
        state.modelIndex = 4;
    }

    int cycle() {
        return devconsole::StationCycle(requests, out, timing, state.acceptSide, state.output)
            .run(state.target());
    }

    std::vector<int> sides() const {
        std::vector<int> values;
        for (const Move& move : scenario().moves) {
            values.push_back(move.conditions.isMember("accept_side")
                                 ? move.conditions["accept_side"].asInt()
                                 : -1);
        }
        return values;
    }

    devconsole::SdkChannel channel{sharedSdk()};
    std::ostringstream out;
    devconsole::DeviceRequests requests{channel, out};
    FakeTiming timing;
    RecordingLog log;
    devconsole::ConsoleState state;
};

TEST_F(StationCycles, TwoCyclesEndAtTheRejectAndThenTheFinishedStation) {
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(scenario().legs(), kCycleLegs);
    EXPECT_EQ(sides(), (std::vector<int>{0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(state.output, 6);
    EXPECT_EQ(timing.sleeps, std::vector<int>{500});
    EXPECT_EQ(out.str().substr(0, 37), "====================================\r");
    EXPECT_EQ(out.str().substr(out.str().size() - 37), "====================================\r");

    scenario().moves.clear();
    EXPECT_EQ(cycle(), 0);
    Legs second = kCycleLegs;
    second.back().second = 6;
    EXPECT_EQ(scenario().legs(), second);
    EXPECT_EQ(sides(), (std::vector<int>{1, 1, 1, 1, 2, 2}));
    EXPECT_EQ(state.output, 7);
    for (const Move& move : scenario().moves) EXPECT_EQ(move.conditions["DevID"].asString(), "");
}

TEST_F(StationCycles, SideAboveThreeStartsAgainAtZero) {
    state.acceptSide = 4;
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(sides(), (std::vector<int>{0, 0, 0, 0, 1, 1}));
    EXPECT_EQ(state.acceptSide, 1);
}

TEST_F(StationCycles, WhereTheCardIsDecidesAboutTheFirstMove) {
    struct Case {
        std::set<int> occupied;
        bool outFirst;
    };
    const Case cases[] = {{{6}, false}, {{7}, false}, {{}, false}, {{2}, true}, {{0, 3}, true}};
    for (const Case& c : cases) {
        scenario().moves.clear();
        scenario().occupied = c.occupied;
        EXPECT_EQ(cycle(), 0);
        Legs expected = kCycleLegs;
        expected.back().second = state.output == 6 ? 7 : 6;
        if (c.outFirst) expected.insert(expected.begin(), {-1, 7});
        EXPECT_EQ(scenario().legs(), expected);
        if (c.outFirst) {
            EXPECT_EQ(sides().front(), -1);
        }
    }
}

TEST_F(StationCycles, RefusedMoveEndsTheCycle) {
    scenario().refusals = {{2, 13}};
    EXPECT_EQ(cycle(), 13);
    EXPECT_EQ(scenario().legs(), (Legs{{0, 1}, {1, 2}, {2, 10}}));
    EXPECT_EQ(state.acceptSide, 0);
    EXPECT_EQ(state.output, 6);
    EXPECT_TRUE(timing.sleeps.empty());

    // A refusal after the side went up keeps the new side.
    scenario().moves.clear();
    scenario().refusals = {{5, 13}};
    EXPECT_EQ(cycle(), 13);
    EXPECT_EQ(state.acceptSide, 1);
    EXPECT_EQ(scenario().legs().back(), std::make_pair(3, 6));
}

TEST_F(StationCycles, StateFailureSendsNoMove) {
    state.devId = "NOT-THERE";
    EXPECT_EQ(cycle(), 1167);
    EXPECT_TRUE(scenario().moves.empty());
}

TEST_F(StationCycles, RepeatedRunStopsAtTheFirstFailingCycle) {
    // Six moves a cycle: the third cycle's first move is refused.
    scenario().refusals = {{12, 13}};
    devconsole::CycleRuns runs(state, requests, out, timing, log);
    runs.repeated();
    const std::string text = out.str();
    EXPECT_NE(text.find("操作第[1]次 成功1次 失败0次 \n"), std::string::npos);
    EXPECT_NE(text.find("操作第[2]次 成功2次 失败0次 \n"), std::string::npos);
    EXPECT_EQ(text.find("操作第[3]次"), std::string::npos);
    EXPECT_EQ(scenario().moves.size(), 13u);
    EXPECT_EQ(timing.sleeps, (std::vector<int>{500, 3000, 500, 3000}));
}

TEST_F(StationCycles, SingleRunTellsSuccessOrFailure) {
    devconsole::CycleRuns runs(state, requests, out, timing, log);
    runs.once();
    EXPECT_NE(out.str().find("操作第[1]次 成功1次 失败0次 \n"), std::string::npos);
    scenario().refusals = {{6, 13}};
    runs.once();
    EXPECT_NE(out.str().find("操作第[1]次 成功0次 失败1次 \n"), std::string::npos);
    EXPECT_EQ(timing.sleeps, (std::vector<int>{500, 3000, 3000}));
}

}  // namespace
}  // namespace devconsole_test
