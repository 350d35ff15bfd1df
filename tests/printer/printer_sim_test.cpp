// The printer driver and ecptest against simulated printers: each case starts
// kiosk-sim with its printers and runs one scenario of printer_sim_client under it.
#include <gtest/gtest.h>

#include <cstdio>

#include "SimLauncher.h"

namespace {
using Args = std::vector<std::string>;

struct Scenario {
    const char* name;
    Args sim;
    const char* filter;
};

const std::string kFast =
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01";

std::string fastParams(const char* byte0) {
    return std::string(byte0) + kFast.substr(2);
}

Args manyPrinters(int n) {
    Args a;
    for (int i = 0; i < n; ++i) {
        char id[8];
        std::snprintf(id, sizeof id, "P%02d", i);
        a.insert(a.end(), {"--printer", id});
    }
    return a;
}

class EcpSim : public ::testing::TestWithParam<Scenario> {};

TEST_P(EcpSim, Scenario) {
    const Scenario& s = GetParam();
    const kqtest::SimRun r = kqtest::runScenario(s.sim, SIM_CLIENT_BIN, s.filter, 90000);
    EXPECT_EQ(0, r.status) << r.out;
    // A filter that matched nothing would pass silently.
    EXPECT_EQ(std::string::npos, r.out.find("Running 0 tests")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("[  PASSED  ]")) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Printers, EcpSim,
    ::testing::Values(
        Scenario{"Enumerate", {"--printer", "B2", "--printer", "A1"}, "SimEnumerate.*"},
        Scenario{"NoPrinter", {}, "SimNoPrinter.*"},
        Scenario{"ManyPrinters", manyPrinters(51), "SimManyPrinters.*"},
        Scenario{"CardFlow", {"--printer", "A1"}, "SimCardFlow.*"},
        Scenario{"FastMode",
                 {"--printer", "F0,params=" + fastParams("00"), "--printer",
                  "F1,params=" + fastParams("01"), "--printer", "F2,params=" + fastParams("02"),
                  "--printer", "N0"},
                 "SimFastMode.*"},
        Scenario{"Handshake", {"--printer", "A1"}, "SimLink.HandshakeAndReplyChecks"},
        Scenario{"PulledCable", {"--printer", "A1"}, "SimLink.PulledCable*"},
        Scenario{"SlowLink", {"--printer", "A1"}, "SimSlowLink.*"},
        Scenario{"EcptestNoPrinter", {}, "SimEcptest.NoPrinter"},
        Scenario{"EcptestNoIdentity", {"--printer", "A1"}, "SimEcptest.PrinterWithoutIdentity"},
        Scenario{"EcptestMenus",
                 {"--printer", "A1", "--printer", "B2"},
                 "SimEcptest.MenusEraseAndPrint"},
        Scenario{"EcptestFailures", {"--printer", "A1"}, "SimEcptest.FailuresEndAfterAKeyPress"}),
    [](const ::testing::TestParamInfo<Scenario>& p) { return std::string(p.param.name); });
}  // namespace
