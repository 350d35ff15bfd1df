#include <gtest/gtest.h>

#include "board/Frame.h"
#include "board/UsbReports.h"

namespace ksim::board {
namespace {

// The host's reports for one frame: 62-byte payloads, counts 62 ... last payload + 1.
std::vector<Bytes> hostReports(const Bytes& frame, bool longForm) {
    Bytes block;
    if (longForm) {
        size_t n = frame.size() + 3;
        block = {0, static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)};
    } else {
        block = {static_cast<uint8_t>(frame.size() + 1)};
    }
    block.insert(block.end(), frame.begin(), frame.end());
    std::vector<Bytes> reports;
    for (size_t pos = 0; pos < block.size(); pos += 62) {
        size_t n = std::min<size_t>(62, block.size() - pos);
        Bytes r(64, 0);
        r[0] = 0x01;
        r[1] = static_cast<uint8_t>(pos + 62 < block.size() ? 62 : n + 1);
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(pos), n, r.begin() + 2);
        reports.push_back(r);
    }
    return reports;
}

Bytes frameOf(size_t size) {
    Bytes f(size);
    for (size_t i = 0; i < size; ++i) f[i] = static_cast<uint8_t>(i * 7);
    return f;
}

TEST(UsbRequestAssembler, AssemblesShortAndLongBlocks) {
    struct Case {
        size_t frameSize;
        const char* counts;
    } cases[] = {
        {10, "short block, report counts 12"},
        {61, "short block, report counts 63"},
        {62, "short block, report counts 62,2"},
        {253, "short block, report counts 62,62,62,62,7"},
        {300, "long block, report counts 62,62,62,62,56"},
    };
    for (const auto& c : cases) {
        Bytes frame = frameOf(c.frameSize);
        UsbRequestAssembler a;
        auto reports = hostReports(frame, c.frameSize > 253);
        UsbRequestAssembler::Result r;
        for (size_t i = 0; i < reports.size(); ++i) {
            r = a.feed(reports[i]);
            if (i + 1 < reports.size()) {
                ASSERT_EQ(r.kind, UsbRequestAssembler::Result::Kind::Incomplete) << c.frameSize;
            }
        }
        ASSERT_EQ(r.kind, UsbRequestAssembler::Result::Kind::Frame)
            << c.frameSize << ": " << r.text;
        EXPECT_EQ(r.frame, frame);
        EXPECT_EQ(r.text, c.counts);
    }
}

TEST(UsbRequestAssembler, RejectsBrokenReports) {
    auto reports = hostReports(frameOf(100), false);
    struct Case {
        const char* name;
        size_t index;
        size_t byte;
        uint8_t value;
        const char* why;
    } cases[] = {
        {"marker", 0, 0, 0x02, "byte 0"},
        {"count of a full report", 0, 1, 63, "count byte 63, expected 62"},
        {"count of the last report", 1, 1, 39, "count byte 39, expected 40"},
    };
    for (const auto& c : cases) {
        UsbRequestAssembler a;
        auto damaged = reports;
        damaged[c.index][c.byte] = c.value;
        UsbRequestAssembler::Result r;
        for (size_t i = 0; i <= c.index; ++i) r = a.feed(damaged[i]);
        EXPECT_EQ(r.kind, UsbRequestAssembler::Result::Kind::Error) << c.name;
        EXPECT_NE(r.text.find(c.why), std::string::npos) << c.name << ": " << r.text;
        // The assembler starts afresh after an error.
        for (const auto& report : reports) r = a.feed(report);
        EXPECT_EQ(r.kind, UsbRequestAssembler::Result::Kind::Frame) << c.name;
    }
}

TEST(UsbRequestAssembler, InsistsOnTheRightBlockForm) {
    UsbRequestAssembler a;
    EXPECT_EQ(a.feed(hostReports(frameOf(200), true)[0]).kind,
              UsbRequestAssembler::Result::Kind::Error);
    EXPECT_EQ(a.feed(hostReports(frameOf(254), false)[0]).kind,
              UsbRequestAssembler::Result::Kind::Error);
    EXPECT_EQ(a.feed(Bytes(63, 1)).kind, UsbRequestAssembler::Result::Kind::Error);
}

TEST(ReplyReports, CountsArePayloadBytes) {
    auto one = replyReports(frameOf(10));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0][1], 11);
    EXPECT_EQ(one[0][2], 11);  // short prefix: frame length + 1

    auto many = replyReports(frameOf(300));
    ASSERT_EQ(many.size(), 5u);
    std::vector<int> counts;
    for (const auto& r : many) counts.push_back(r[1]);
    EXPECT_EQ(counts, (std::vector<int>{62, 62, 62, 62, 55}));
    EXPECT_EQ(many[0][2], 0x00);
    EXPECT_EQ(many[0][3] | many[0][4] << 8, 303);
    for (const auto& r : many) EXPECT_EQ(r.size(), 64u);
}

}  // namespace
}  // namespace ksim::board
