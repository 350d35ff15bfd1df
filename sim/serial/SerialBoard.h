#pragma once
// A mechanism board on a serial line: the board's frames as raw bytes on a
// pseudo-terminal, with no transport block around them. The board runs the line at
// its own setting; while the host's side is set otherwise, a strict board hears
// garbage and the host reads garbage (serial/LineSetting.h).
#include <memory>
#include <string>

#include "board/Board.h"
#include "board/SerialFrameReader.h"
#include "core/EventLoop.h"
#include "serial/PtyLine.h"

namespace ksim::serial {

class SerialBoard {
  public:
    // `linkPath` is the device file the driver opens, e.g. /dev/COM3.
    static std::unique_ptr<SerialBoard> create(const std::string& linkPath,
                                               std::unique_ptr<board::Board> board,
                                               LineSetting line, EventLoop& loop, Journal& journal,
                                               std::string* error);
    ~SerialBoard();

    board::Board& board() { return *board_; }
    const std::string& path() const { return line_->linkPath(); }
    const LineSetting& line() const { return boardLine_; }
    // A pulled cable: the board hears nothing until plug().
    void unplug(double replugMs);
    void plug();
    bool plugged() const { return plugged_; }

  private:
    SerialBoard(std::unique_ptr<PtyLine> pty, std::unique_ptr<board::Board> board, LineSetting line,
                EventLoop& loop, Journal& journal);
    // Journals a new host setting; true while host and board disagree.
    bool checkLine();
    void onReadable();
    void handleFrame(const Bytes& frame);
    void send(const board::Emission& e, uint64_t generation);

    std::unique_ptr<PtyLine> line_;
    std::unique_ptr<board::Board> board_;
    EventLoop& loop_;
    Journal& journal_;
    board::SerialFrameReader reader_;
    const LineSetting boardLine_;
    std::string settings_;
    bool plugged_ = true;
    uint64_t generation_ = 0;
};

}  // namespace ksim::serial
