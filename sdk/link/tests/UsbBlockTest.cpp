#include <gtest/gtest.h>

#include <numeric>

#include "link/UsbBlock.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Status = devlink::UsbBlockAssembler::Status;

Bytes frameOf(int len) {
    Bytes f(len);
    std::iota(f.begin(), f.end(), static_cast<unsigned char>(1));
    return f;
}

TEST(UsbBlockOut, ReportCountsAndPrefixes) {
    struct Case {
        int frameLen;
        Bytes prefix;
        std::vector<int> counts;
    } cases[] = {
        {10, {0x0B}, {12}},
        {61, {0x3E}, {63}},
        {62, {0x3F}, {62, 2}},
        {253, {0xFE}, {62, 62, 62, 62, 7}},
        {254, {0x00, 0x01, 0x01}, {62, 62, 62, 62, 10}},
        {300, {0x00, 0x2F, 0x01}, {62, 62, 62, 62, 56}},
    };
    for (const Case& c : cases) {
        const Bytes frame = frameOf(c.frameLen);
        const Bytes block = devlink::buildUsbBlock(frame.data(), c.frameLen);
        ASSERT_EQ(block.size(), c.prefix.size() + c.frameLen);
        EXPECT_EQ(Bytes(block.begin(), block.begin() + c.prefix.size()), c.prefix) << c.frameLen;
        const auto reports = devlink::cutIntoReports(block);
        std::vector<int> counts;
        Bytes payload;
        for (size_t i = 0; i < reports.size(); ++i) {
            ASSERT_EQ(reports[i].size(), 64u);
            EXPECT_EQ(reports[i][0], 0x01);
            counts.push_back(reports[i][1]);
            const int n = i + 1 < reports.size() ? 62 : reports[i][1] - 1;
            payload.insert(payload.end(), reports[i].begin() + 2, reports[i].begin() + 2 + n);
            // The unused tail of a report is zero-filled.
            for (int k = 2 + n; k < 64; ++k) EXPECT_EQ(reports[i][k], 0) << c.frameLen;
        }
        EXPECT_EQ(counts, c.counts) << c.frameLen;
        EXPECT_EQ(payload, block) << c.frameLen;
    }
}

TEST(UsbBlockOut, TenByteFrameReport) {
    const Bytes frame = frameOf(10);
    const auto reports = devlink::cutIntoReports(devlink::buildUsbBlock(frame.data(), 10));
    ASSERT_EQ(reports.size(), 1u);
    Bytes want = {0x01, 0x0C, 0x0B};
    want.insert(want.end(), frame.begin(), frame.end());
    want.resize(64, 0);
    EXPECT_EQ(reports[0], want);
}

// Splits a block into board-to-host reports (count byte = payload bytes).
std::vector<Bytes> boardReports(const Bytes& block) {
    std::vector<Bytes> reports;
    for (size_t pos = 0; pos < block.size(); pos += 62) {
        const size_t n = std::min<size_t>(62, block.size() - pos);
        Bytes r(64, 0);
        r[1] = static_cast<unsigned char>(n);
        std::copy(block.begin() + pos, block.begin() + pos + n, r.begin() + 2);
        reports.push_back(r);
    }
    return reports;
}

Bytes assemble(const Bytes& block, Status& last) {
    devlink::UsbBlockAssembler assembler;
    last = Status::NeedMore;
    for (const Bytes& r : boardReports(block)) {
        last = assembler.add(r.data(), 64);
        if (last != Status::NeedMore) break;
    }
    Bytes out(devlink::kMaxReplyBlock);
    if (last != Status::Complete) return {};
    out.resize(assembler.frame(out.data()));
    return out;
}

TEST(UsbBlockIn, LongBlockIsAssembledAcrossReports) {
    Bytes frame = {0xAA, 0xBB, 0x2C, 0x01};
    frame.resize(304, 0x11);
    Bytes block = {0x00, 0x33, 0x01};  // 307 = frame + 3
    block.insert(block.end(), frame.begin(), frame.end());
    Status status;
    EXPECT_EQ(assemble(block, status), frame);
    EXPECT_EQ(status, Status::Complete);
}

TEST(UsbBlockIn, StuffingIsRemovedOnlyPastTheLengthField) {
    // AA 00 as the length bytes stays; AA 00 and AA 55 in the body lose their second byte.
    const Bytes wire = {0xAA, 0xBB, 0xAA, 0x00, 0x01, 0x00, 0xAA, 0x00, 0x00, 0xAA, 0x55, 0x07};
    Bytes block = {static_cast<unsigned char>(wire.size() + 1)};
    block.insert(block.end(), wire.begin(), wire.end());
    Status status;
    EXPECT_EQ(assemble(block, status),
              (Bytes{0xAA, 0xBB, 0xAA, 0x00, 0x01, 0x00, 0xAA, 0x00, 0xAA, 0x07}));
}

TEST(UsbBlockIn, BlockLongerThanTheReplyBufferIsRefused) {
    Bytes block = {0x00, 0xFF, 0xFF};  // announces 65535 bytes
    block.resize(4000, 0x22);
    Status status;
    assemble(block, status);
    EXPECT_EQ(status, Status::TooLong);
}

TEST(UsbBlockIn, CountByteIsBoundByWhatTheReportHolds) {
    devlink::UsbBlockAssembler assembler;
    Bytes report(64, 0);
    report[1] = 0xFF;  // claims more payload than a report has
    report[2] = 62;    // a short block of 62 bytes, all in this report
    EXPECT_EQ(assembler.add(report.data(), 64), Status::Complete);
    Bytes out(devlink::kMaxReplyBlock);
    EXPECT_EQ(assembler.frame(out.data()), 61);
    devlink::UsbBlockAssembler shortRead;
    report[1] = 10;
    report[2] = 11;
    EXPECT_EQ(shortRead.add(report.data(), 5), Status::NeedMore);  // only 3 payload bytes arrived
}

}  // namespace
