// Where the console's service-log records go.
#pragma once

#include <string>

namespace devconsole {

class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void write(const std::string& text) = 0;
};

// The SDK's rolling service log, level "DEBUG".
class ServiceLogSink : public LogSink {
  public:
    void write(const std::string& text) override;
};

}  // namespace devconsole
