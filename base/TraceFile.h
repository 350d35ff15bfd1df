// The per-object byte-trace file of a device transport: "1_kqdev_<stamp>.log" in a trace
// folder, written only while that folder exists, each line stamped with its time and the
// interval since the object's previous line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "Utc8Time.h"

namespace kqbase {

// A library's trace folder: one setting for all its objects, changeable by tests.
class TraceFolder {
  public:
    explicit TraceFolder(std::string dir) : mDir(std::move(dir)) {}
    void set(const std::string& dir);
    std::string get() const;
    // Whether the folder exists now; the program never creates it.
    bool exists() const;

  private:
    mutable std::mutex mMutex;
    std::string mDir;
};

class TraceFile {
  public:
    // Opens the file on the first line (named after that line's time); false when the
    // folder does not exist or the file cannot be made.
    bool ready(const std::string& dir, const Utc8Stamp& now);
    // msg + ":(YYYY-MM-DD hh:mm:ss mmm)" + "(间隔NNNNN MS):" (or "((间隔????? MS):" after
    // more than a minute, and for the first line).
    std::string head(const char* msg, const Utc8Stamp& now, std::int64_t nowMs) const;
    // Appends each byte as two upper-case hex digits and a space.
    static void appendHex(std::string& line, const unsigned char* data, int len);
    // Writes the line and CR LF, flushed, and takes nowMs as the previous line's time.
    void write(const std::string& line, std::int64_t nowMs);

  private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> mFile;
    std::int64_t mLastMs = 0;
};

}  // namespace kqbase
