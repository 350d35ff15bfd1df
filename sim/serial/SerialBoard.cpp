#include "serial/SerialBoard.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ksim::serial {

using board::Emission;
using board::SerialFrameReader;

std::unique_ptr<SerialBoard> SerialBoard::create(const std::string& linkPath,
                                                 std::unique_ptr<board::Board> board,
                                                 LineSetting line, EventLoop& loop,
                                                 Journal& journal, std::string* error) {
    auto pty = PtyLine::open(linkPath, error);
    if (!pty) return nullptr;
    std::unique_ptr<SerialBoard> sb(
        new SerialBoard(std::move(pty), std::move(board), line, loop, journal));
    SerialBoard* self = sb.get();
    loop.watch(self->line_->masterFd(), [self] { self->onReadable(); });
    Json::Value ev;
    ev["path"] = linkPath;
    ev["pty"] = self->line_->slavePath();
    ev["line"] = describe(line);
    journal.event(self->board_->name(), "plugged", ev);
    return sb;
}

SerialBoard::SerialBoard(std::unique_ptr<PtyLine> pty, std::unique_ptr<board::Board> board,
                         LineSetting line, EventLoop& loop, Journal& journal)
    : line_(std::move(pty)),
      board_(std::move(board)),
      loop_(loop),
      journal_(journal),
      boardLine_(line) {}

SerialBoard::~SerialBoard() {
    loop_.unwatch(line_->masterFd());
}

bool SerialBoard::checkLine() {
    const auto host = line_->hostSetting();
    const bool differs = host && *host != boardLine_;
    const std::string settings = line_->settings();
    if (settings != settings_) {
        std::string text = "line " + line_->linkPath() + " set to " + settings;
        if (differs) {
            text += "; the board runs it at " + describe(boardLine_) +
                    (board_->strict() ? ", so the bytes both ways arrive garbled"
                                      : " (lenient: the bytes pass unchanged)");
        }
        journal_.change(board_->name(), text);
        settings_ = settings;
    }
    return differs && board_->strict();
}

void SerialBoard::onReadable() {
    uint8_t buf[1024];
    ssize_t n = read(line_->masterFd(), buf, sizeof buf);
    if (n <= 0) return;
    const std::string& name = board_->name();
    const bool garbage = checkLine();
    if (!plugged_) {
        journal_.frame(name, Direction::HostToDevice, "serial", Bytes(buf, buf + n),
                       "lost: cable pulled");
        return;
    }
    Bytes bytes(buf, buf + n);
    if (garbage) {
        journal_.frame(name, Direction::HostToDevice, "serial", bytes,
                       "sent at " + line_->settings() + ", heard at " + describe(boardLine_));
        bytes = garbled(bytes);
    }
    for (auto& item : reader_.feed(bytes.data(), bytes.size())) {
        switch (item.kind) {
            case SerialFrameReader::Item::Kind::Junk:
                journal_.frame(name, Direction::HostToDevice, "serial", item.bytes,
                               "junk outside a frame");
                break;
            case SerialFrameReader::Item::Kind::Dropped:
                journal_.frame(name, Direction::HostToDevice, "serial", item.bytes,
                               "incomplete frame dropped");
                journal_.note(name, "protocol_error", "incomplete frame dropped");
                break;
            case SerialFrameReader::Item::Kind::Frame:
                handleFrame(item.bytes);
                break;
        }
    }
}

void SerialBoard::handleFrame(const Bytes& frame) {
    const std::string& name = board_->name();
    auto decoded = board::decodeRequest(frame);
    if (!decoded.request) {
        journal_.frame(name, Direction::HostToDevice, "frame", frame, "rejected: " + decoded.error);
        journal_.note(name, "protocol_error", decoded.error);
        return;
    }
    const auto& r = *decoded.request;
    journal_.frame(name, Direction::HostToDevice, "frame", frame, board::describeRequest(r));
    board::Response response = board_->onRequest(r);
    if (response.unplug) {
        unplug(response.replugMs);
        return;
    }
    const uint64_t generation = generation_;
    board::scheduleEmissions(loop_, response,
                             [this, generation](const Emission& e) { send(e, generation); });
}

void SerialBoard::send(const Emission& e, uint64_t generation) {
    if (generation != generation_ || !plugged_) return;
    journal_.frame(board_->name(), Direction::DeviceToHost, e.note == "junk" ? "serial" : "frame",
                   e.bytes, e.note);
    Bytes bytes = e.bytes;
    if (checkLine()) {
        bytes = garbled(bytes);
        journal_.frame(board_->name(), Direction::DeviceToHost, "serial", bytes,
                       "as the host reads it at " + line_->settings());
    }
    ssize_t n = write(line_->masterFd(), bytes.data(), bytes.size());
    if (n != static_cast<ssize_t>(bytes.size())) {
        journal_.note(board_->name(), "error",
                      "line full: " + std::to_string(n < 0 ? 0 : n) + " of " +
                          std::to_string(bytes.size()) + " bytes written");
    }
}

void SerialBoard::unplug(double replugMs) {
    if (!plugged_) return;
    plugged_ = false;
    ++generation_;
    journal_.change(board_->name(), "cable pulled");
    if (replugMs >= 0) {
        uint64_t generation = generation_;
        loop_.postAfter(replugMs, [this, generation] {
            if (generation == generation_) plug();
        });
    }
}

void SerialBoard::plug() {
    if (plugged_) return;
    plugged_ = true;
    ++generation_;
    journal_.change(board_->name(), "cable plugged in");
}

}  // namespace ksim::serial
