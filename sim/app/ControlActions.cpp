#include "app/ControlActions.h"

#include "core/Journal.h"

namespace ksim::app {

void ControlActions::add(const std::string& name, const std::string& usage, Handler handler) {
    if (!actions_.count(name)) order_.push_back(name);
    actions_[name] = {usage, std::move(handler)};
}

std::string ControlActions::run(const std::string& line) const {
    Json::Value result;
    result["event"] = "result";
    Json::Value request;
    Json::CharReaderBuilder builder;
    std::string parseError;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(line.data(), line.data() + line.size(), &request, &parseError) ||
        !request.isObject()) {
        result["ok"] = false;
        result["error"] = "not a JSON object: " + parseError;
        return compactJson(result);
    }
    if (request.isMember("id")) result["id"] = request["id"];
    std::string name = request["action"].isString() ? request["action"].asString() : "";
    result["action"] = name;
    auto it = actions_.find(name);
    if (it == actions_.end()) {
        result["ok"] = false;
        result["error"] = name.empty() ? "no \"action\"" : "unknown action '" + name + "'";
        return compactJson(result);
    }
    std::string error;
    bool ok = false;
    try {
        ok = it->second.handler(request, result, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    result["ok"] = ok;
    if (!ok) result["error"] = error;
    return compactJson(result);
}

std::vector<std::string> ControlActions::help() const {
    std::vector<std::string> lines;
    for (const auto& name : order_) lines.push_back(actions_.at(name).usage);
    return lines;
}

}  // namespace ksim::app
