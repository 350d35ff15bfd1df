// cr80demo and KQCR80Printer.so against a simulated printer: each case starts
// kiosk-sim and runs one test of cr80_sim_client under it.
#include <gtest/gtest.h>

#include "../printer/SimLauncher.h"

namespace {

struct Scenario {
    const char* name;
    std::vector<std::string> sim;
    const char* filter;
};

class Cr80Sim : public ::testing::TestWithParam<Scenario> {};

TEST_P(Cr80Sim, Scenario) {
    const Scenario& s = GetParam();
    const ecpsim::SimResult r = ecpsim::runScenario(s.sim, s.filter, 180000);
    EXPECT_EQ(0, r.status) << r.output;
    EXPECT_EQ(std::string::npos, r.output.find("Running 0 tests")) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("[  PASSED  ]")) << r.output;
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
