// Opening the printer records, the information document, and reopening after close.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstring>

#include "FakePort.h"
#include "LinkCodes.h"
#include "PrinterCommandSet.h"
#include "PrinterInfo.h"

using ecptest::Bytes;
using ecptest::FakePort;

namespace {
Bytes identity(const std::string& id, const std::string& extra = "EXTRA-0123456789") {
    Bytes d(28, 0);
    std::memcpy(d.data(), id.data(), std::min<size_t>(12, id.size()));
    std::memcpy(d.data() + 12, extra.data(), std::min<size_t>(16, extra.size()));
    return d;
}

struct TestDriver : kqCR80Printer {
    using kqCR80Printer::buildRecords;
    FakePort* add(const std::string& id) {
        auto port = std::make_unique<FakePort>();
        if (!id.empty()) port->answerAll({{0x5A, identity(id)}});
        return static_cast<FakePort*>(addPort(std::move(port)));
    }
    int reopenResult = 0;
    FakePort* lastMade = nullptr;

  protected:
    std::unique_ptr<UsbPort> makePort() override {
        auto port = std::make_unique<FakePort>();
        port->openResult = reopenResult;
        port->answerAll();
        lastMade = port.get();
        return port;
    }
};
}  // namespace

TEST(EcpRecords, IdentityFailureDropsThePort) {
    TestDriver driver;
    driver.add("B2");
    driver.add("");  // never answers
    driver.add("A1");
    driver.buildRecords();
    ASSERT_EQ(2u, driver.printers().size());
    EXPECT_EQ(2u, driver.ports().size()) << "the silent printer's port is released";
    EXPECT_EQ("A1", driver.printers().begin()->first);
    EXPECT_STREQ("CXBPrinter_2", driver.findPrinter("A1")->printerName);
    EXPECT_STREQ("CXBPrinter_0", driver.findPrinter("B2")->printerName);
    EXPECT_STREQ("EXTRA-0123456789", driver.findPrinter("A1")->idExtra);
    EXPECT_EQ(nullptr, driver.findPrinter("C3"));
}

TEST(EcpRecords, SameIdentityReplacesTheEarlierRecord) {
    TestDriver driver;
    driver.add("A1");
    FakePort* second = driver.add("A1");
    driver.buildRecords();
    ASSERT_EQ(1u, driver.printers().size());
    EXPECT_EQ(second, driver.findPrinter("A1")->port);
    EXPECT_EQ(1u, driver.ports().size());
}

TEST(EcpRecords, CloseDetachesAndNextUseReopens) {
    TestDriver driver;
    FakePort* port = driver.add("A1");
    driver.buildRecords();
    kqCR80_Pram* p = driver.findPrinter("A1");
    ASSERT_EQ(0, driver.Clean(p));
    const unsigned seq = port->sequence();
    EXPECT_EQ(2u, seq);

    driver.Close();
    EXPECT_EQ(nullptr, p->port);
    EXPECT_TRUE(driver.ports().empty());
    EXPECT_TRUE(driver.owns(p)) << "records outlive their ports";

    ASSERT_EQ(0, driver.ensurePort(p));
    ASSERT_NE(nullptr, p->port);
    EXPECT_EQ(driver.lastMade, p->port);
    EXPECT_EQ(seq, p->port->sequence()) << "sequence numbers keep counting";
    ASSERT_EQ(0, driver.Clean(p));
    EXPECT_EQ(seq, driver.lastMade->requests.at(0).seq);

    driver.Close();
    driver.reopenResult = -1;
    EXPECT_EQ(ecp::kWriteFailed, driver.ensurePort(p));
    EXPECT_EQ(nullptr, p->port);
    EXPECT_TRUE(driver.ports().empty());
}

namespace {
struct InfoFixture : ::testing::Test {
    kqCR80Printer driver;
    FakePort port;
    kqCR80_Pram printer;
    std::map<std::uint8_t, Bytes> answers = {
        {0x80, Bytes({'V', '1', '.', '2', '3', 0, 0, 0, 0, 0})},
        {0x5A, identity("A1")},
        {0x53,
         [] {
             Bytes b(31, 0);
             b[30] = 1;
             return b;
         }()},
        {0x57,
         Bytes({2, 1, 0, 0x05, 0x00, 0x10, 0x00, 0x00, 0x20, 0x00, 0x07, 0x00, 0x00, 0x09, 0x00})}};
    void SetUp() override {
        port.answerAll(answers);
        printer.port = &port;
        std::strcpy(printer.printerName, "CXBPrinter_0");
    }
};
}  // namespace

using EcpInfo = InfoFixture;

TEST_F(EcpInfo, AsksOnceAndReportsEveryMember) {
    ASSERT_EQ(0, ecp::fetchPrinterInfo(driver, &printer));
    ASSERT_EQ(4u, port.requests.size());
    EXPECT_EQ(0x80, port.requests[0].code());
    EXPECT_EQ(0x5A, port.requests[1].code());
    EXPECT_EQ(0x53, port.requests[2].code());
    EXPECT_EQ(0x57, port.requests[3].code());
    const std::string first = ecp::printerInfoJson(printer);

    Json::Value doc;
    std::istringstream in(first);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &doc, nullptr));
    EXPECT_EQ(20u, doc.size());
    EXPECT_EQ("V1.23", doc["Version"].asString());
    EXPECT_EQ("A1", doc["Id"].asString());
    EXPECT_EQ("A1", doc["SerialNumber"].asString());
    EXPECT_EQ("A1", doc["serialNumber"].asString());
    EXPECT_EQ(0, doc["IsOutCard"].asInt());
    EXPECT_EQ(2, doc["Status"].asInt());
    EXPECT_EQ(1, doc["CardPosition"].asInt());
    EXPECT_TRUE(doc["hasCard"].asBool());
    EXPECT_EQ(0, doc["LastPrintResult"].asInt());
    EXPECT_EQ(5, doc["LastPrintErrCode"].asInt());
    EXPECT_EQ(16u, doc["TotalPrintCnt"].asUInt());
    EXPECT_EQ(32u, doc["RemainTimes"].asUInt());
    EXPECT_EQ(7u, doc["ContinueCnt"].asUInt());
    EXPECT_EQ(7u, doc["currClean"].asUInt());
    EXPECT_EQ(7u, doc["CurPrtCnt"].asUInt());
    EXPECT_EQ(9u, doc["CleanCnt"].asUInt());
    EXPECT_EQ(9u, doc["MaxPrtCnt"].asUInt());
    EXPECT_EQ(9u, doc["maxClean"].asUInt());
    EXPECT_EQ("CXBPrinter_0", doc["printer_name"].asString());
    EXPECT_EQ(1, doc["fast_mode"].asInt());
    EXPECT_EQ(std::string::npos, first.find_first_of(" \n")) << "compact";
    EXPECT_EQ(0u, first.find("{\"CardPosition\":1,\"CleanCnt\":9,")) << "keys in byte order";

    // Later calls report the stored values without asking, even if the card moved.
    port.answerAll({});
    ASSERT_EQ(0, ecp::fetchPrinterInfo(driver, &printer));
    EXPECT_EQ(4u, port.requests.size());
    EXPECT_EQ(first, ecp::printerInfoJson(printer));
}

TEST_F(EcpInfo, FailedStepAsksAgainNextTime) {
    std::strcpy(printer.version, "V0");
    std::strcpy(printer.id, "A1");
    std::strcpy(printer.idExtra, "X");
    answers[0x57] = {};
    int selfChecks = 0;
    port.setResponder([&](const ecptest::Request& r) {
        const std::uint8_t status = r.code() == 0x57 && selfChecks++ == 0 ? 1 : 0;
        Bytes d = answers[r.code()];
        d.resize(31, 0);
        return std::vector<Bytes>{ecptest::printerPacket(
            ecptest::frame(ecptest::replyPayload(r.code(), d, status), r.seq))};
    });
    EXPECT_EQ(ecp::kPrinterFailed, ecp::fetchPrinterInfo(driver, &printer));
    EXPECT_EQ(0, printer.infoDone);
    ASSERT_EQ(2u, port.requests.size()) << "version and identity are known already";
    EXPECT_EQ(0x53, port.requests[0].code());
    EXPECT_EQ(0, ecp::fetchPrinterInfo(driver, &printer));
    EXPECT_EQ(1, printer.infoDone);
    EXPECT_EQ(4u, port.requests.size());
}
