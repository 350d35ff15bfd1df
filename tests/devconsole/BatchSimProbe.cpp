// Runs under kiosk-sim with a flipping board holding a card at the front slot:
// the printer batch against a real mechanism model, whose station table has
// no exit slot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "ControlClient.h"
#include "DeviceRequests.h"
#include "LogSink.h"
#include "MockPrinter.h"
#include "PrinterBatch.h"
#include "SdkChannel.h"
#include "Timing.h"

namespace {

class Records : public devconsole::LogSink {
  public:
    void write(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

TEST(BatchOnRealModel, MoveToAnExitSlotIsRefusedAndEndsTheCycle) {
    const char* control = std::getenv("KIOSK_SIM_CONTROL");
    ASSERT_NE(control, nullptr);
    kqtest::ControlClient sim(control);
    ASSERT_TRUE(sim.connected());

    lib_dev* sdk = nullptr;
    ASSERT_EQ(lib_init_sdk(&sdk), 0);
    devconsole::SdkChannel channel(sdk);
    std::ostringstream out;
    devconsole::DeviceRequests requests(channel, out);
    devconsole::SystemTiming timing;
    Records log;
    int acceptSide = 0;
    devconsole::PrinterBatch batch(requests, out, log, acceptSide);
    const devconsole::DeviceTarget flipping{2, 4, ""};
    ASSERT_EQ(requests.open(flipping.connIndex, flipping.modelIndex), 0) << out.str();

    // The card at the slot counts as a finished magic card of printer 0: it
    // goes to station 1, the thermal printer of the batch.
    std::vector<devconsole::MockPrinter> first = devconsole::makeRunPrinters(timing, log);
    ASSERT_EQ(batch.cycle(flipping, first), 0) << out.str();
    EXPECT_NE(out.str().find("--->[方向识别工位]的工位操作成功"), std::string::npos) << out.str();
    const Json::Value card = sim.card();
    ASSERT_TRUE(card.isInt());

    // A new run finds the thermal printer idle and sends the card to exit
    // slot 20, which this model does not have.
    out.str("");
    std::vector<devconsole::MockPrinter> second = devconsole::makeRunPrinters(timing, log);
    EXPECT_EQ(batch.cycle(flipping, second), 13);
    const std::string refused =
        "read_reader Return:13\n{\"msg\":\"无效数据传入的目标工位信息未查到\",\"result\":13}\n";
    const std::string text = out.str();
    ASSERT_GE(text.size(), refused.size()) << text;
    EXPECT_EQ(text.substr(text.size() - refused.size()), refused) << text;
    EXPECT_EQ(log.lines.back(), "热敏机送出排卡口");
    EXPECT_EQ(acceptSide, 0);
    EXPECT_EQ(sim.card(), card);
}

}  // namespace
