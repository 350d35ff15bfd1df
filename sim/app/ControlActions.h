#pragma once
// The operator actions the --control socket accepts: one JSON object per line with
// an "action" member; every request is answered with a "result" event carrying
// "ok" (and "error" when false) and the request's "id" if it had one.
#include <json/json.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ksim::app {

class ControlActions {
  public:
    // Fills `reply` (beyond "ok") or returns false with `error` set.
    using Handler =
        std::function<bool(const Json::Value& request, Json::Value& reply, std::string& error)>;

    void add(const std::string& name, const std::string& usage, Handler handler);
    // Runs one request line; returns the compact result line.
    std::string run(const std::string& line) const;
    std::vector<std::string> help() const;

  private:
    struct Entry {
        std::string usage;
        Handler handler;
    };
    std::map<std::string, Entry> actions_;
    std::vector<std::string> order_;
};

}  // namespace ksim::app
