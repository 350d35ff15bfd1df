#pragma once
// A serial line made of a pseudo-terminal: the simulator keeps the master side,
// the driver opens the slave through a symbolic link (e.g. /dev/COM3). The
// simulator also holds the slave open, so the line survives the driver closing and
// reopening it, and sets it raw until the driver applies its own settings.
#include <memory>
#include <optional>
#include <string>

#include "serial/LineSetting.h"

namespace ksim::serial {

class PtyLine {
  public:
    // Creates the pair and the link `linkPath`. An existing link into /dev/pts is taken
    // over (left by a simulator that was killed); any other existing file is an error.
    static std::unique_ptr<PtyLine> open(const std::string& linkPath, std::string* error);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    const std::string& linkPath() const { return linkPath_; }
    // "115200 8N1" as the driver last set the line.
    std::string settings() const;
    // The speed and frame the driver set, read from the slave's attributes.
    std::optional<LineSetting> hostSetting() const;

  private:
    PtyLine() = default;

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

}  // namespace ksim::serial
