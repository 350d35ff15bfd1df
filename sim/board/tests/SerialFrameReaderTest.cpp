#include <gtest/gtest.h>

#include "board/SerialFrameReader.h"

namespace ksim::board {
namespace {

using Kind = SerialFrameReader::Item::Kind;
Bytes hex(const char* text) {
    return *parseHex(text);
}

std::vector<SerialFrameReader::Item> feed(SerialFrameReader& r, const char* text,
                                          SerialFrameReader::Clock::time_point at = {}) {
    Bytes b = hex(text);
    return r.feed(b.data(), b.size(), at);
}

TEST(SerialFrameReader, CutsFramesOutOfTheStream) {
    SerialFrameReader r;
    // Junk, a lone AA, then a frame whose body holds AA 00 and whose check byte is AA,
    // then a second frame in the same read.
    auto items = feed(r, "11 22 AA 33 AA BB 06 00 AA 00 00 00 00 00 AA AA BB 05 00 01 00 01 30 30");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, Kind::Junk);
    EXPECT_EQ(items[0].bytes, hex("11 22 AA 33"));
    EXPECT_EQ(items[1].kind, Kind::Frame);
    EXPECT_EQ(items[1].bytes, hex("AA BB 06 00 AA 00 00 00 00 00 AA"));
    EXPECT_EQ(items[2].bytes, hex("AA BB 05 00 01 00 01 30 30"));
}

TEST(SerialFrameReader, FramesMaySpanReadsButNotLongGaps) {
    using std::chrono::milliseconds;
    SerialFrameReader r(milliseconds(200));
    SerialFrameReader::Clock::time_point t0{};
    EXPECT_TRUE(feed(r, "AA BB 05", t0).empty());
    auto done = feed(r, "00 01 00 01 30 30", t0 + milliseconds(50));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].kind, Kind::Frame);

    EXPECT_TRUE(feed(r, "AA BB 05 00 01", t0 + milliseconds(100)).empty());
    auto late = feed(r, "AA BB 05 00 01 00 01 30 30", t0 + milliseconds(400));
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].kind, Kind::Dropped);
    EXPECT_EQ(late[0].bytes, hex("AA BB 05 00 01"));
    EXPECT_EQ(late[1].kind, Kind::Frame);
}

}  // namespace
}  // namespace ksim::board
