#include "board/SerialFrameReader.h"

namespace ksim::board {

void SerialFrameReader::flushJunk(std::vector<Item>& out) {
    if (junk_.empty()) return;
    out.push_back({Item::Kind::Junk, std::move(junk_)});
    junk_.clear();
}

std::vector<SerialFrameReader::Item> SerialFrameReader::feed(const uint8_t* data, size_t len,
                                                             Clock::time_point now) {
    std::vector<Item> out;
    if (len && state_ != State::Hunt && now - last_ > gapLimit_) {
        out.push_back({Item::Kind::Dropped, std::move(frame_)});
        frame_.clear();
        state_ = State::Hunt;
    }
    if (len) last_ = now;
    for (size_t i = 0; i < len; ++i) {
        uint8_t b = data[i];
        switch (state_) {
            case State::Hunt:
                if (b == 0xAA) {
                    frame_ = {b};
                    state_ = State::Header2;
                } else {
                    junk_.push_back(b);
                }
                break;
            case State::Header2:
                if (b == 0xBB) {
                    frame_.push_back(b);
                    state_ = State::Length1;
                } else {
                    // AA without BB: junk too; this byte may start the next header.
                    junk_.insert(junk_.end(), frame_.begin(), frame_.end());
                    frame_.clear();
                    state_ = State::Hunt;
                    --i;
                }
                break;
            case State::Length1:
                frame_.push_back(b);
                state_ = State::Length2;
                break;
            case State::Length2: {
                frame_.push_back(b);
                size_t length = static_cast<size_t>(frame_[2] | frame_[3] << 8);
                flushJunk(out);
                if (length < 2) {
                    out.push_back({Item::Kind::Frame, std::move(frame_)});
                    frame_.clear();
                    state_ = State::Hunt;
                } else {
                    bodyLeft_ = length - 1;
                    state_ = State::Body;
                }
                break;
            }
            case State::Body:
                frame_.push_back(b);
                --bodyLeft_;
                if (b == 0xAA) {
                    state_ = State::Stuffing;
                } else if (bodyLeft_ == 0) {
                    state_ = State::Check;
                }
                break;
            case State::Stuffing:
                frame_.push_back(b);
                state_ = bodyLeft_ == 0 ? State::Check : State::Body;
                break;
            case State::Check:
                frame_.push_back(b);
                out.push_back({Item::Kind::Frame, std::move(frame_)});
                frame_.clear();
                state_ = State::Hunt;
                break;
        }
    }
    if (state_ == State::Hunt) flushJunk(out);
    return out;
}

}  // namespace ksim::board
