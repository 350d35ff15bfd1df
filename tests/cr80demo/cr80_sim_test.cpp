// cr80demo and KQCR80Printer.so against a simulated printer: each case starts
// kiosk-sim and runs one test of cr80_sim_client under it.
#include <gtest/gtest.h>

#include "SimLauncher.h"

namespace {

struct Scenario {
    const char* name;
    std::vector<std::string> sim;
    const char* filter;
};

class Cr80Sim : public ::testing::TestWithParam<Scenario> {};

TEST_P(Cr80Sim, Scenario) {
    const Scenario& s = GetParam();
    const kqtest::SimRun r = kqtest::runScenario(s.sim, SIM_CLIENT_BIN, s.filter, 180000);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("Running 0 tests")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("[  PASSED  ]")) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Printers, Cr80Sim,
    ::testing::Values(
        Scenario{"PrintSample", {"--printer", "A1"}, "SimCr80Demo.PrintsTheSampleUprightAndTurned"},
        Scenario{
            "SdkEraseRectangles", {"--printer", "A1"}, "SimCr80Sdk.EraseRectanglesAndCounters"},
        Scenario{"SerialTooLong", {}, "SimCr80Demo.SerialNumberTooLongIsRefused"},
        Scenario{"NoPrinter", {}, "SimCr80Demo.NoSdkAndNoPrinter"}),
    [](const ::testing::TestParamInfo<Scenario>& p) { return std::string(p.param.name); });

}  // namespace
