#include "FakeMachine.h"

#include <cstdio>
#include <memory>

#include "core/Process.h"
#include "core/Registry.h"
#include "core/ResultJson.h"
#include "link/BaseDevice.h"
#include "link/KQUSBDevice.h"
#include "mechanism/kqDev.h"

namespace devconsole_test {

std::vector<std::pair<int, int>> MachineScenario::legs() const {
    std::vector<std::pair<int, int>> pairs;
    for (const Move& move : moves) {
        const Json::Value& c = move.conditions;
        pairs.emplace_back(c.isMember("part_id") ? c["part_id"].asInt() : -1,
                           c["target_id"].asInt());
    }
    return pairs;
}

MachineScenario& scenario() {
    static MachineScenario current;
    return current;
}

std::map<int, std::string> highSpeedStations() {
    std::map<int, std::string> stations = {{0, "制证机0"}, {1, "热敏机"},    {2, "制证机2"},
                                           {3, "制证机3"}, {100, "Magic卡"}, {200, "小车"}};
    for (int n = 0; n < 8; ++n) stations[20 + n] = "排卡口" + std::to_string(n);
    return stations;
}

std::map<int, std::string> standardStations(int n) {
    std::map<int, std::string> stations;
    for (int id = 0; id < n; ++id) stations[id] = "工位" + std::to_string(id);
    return stations;
}

namespace {

class FakeModel : public kqDev {
  public:
    explicit FakeModel(const std::string& devId) { setInfoText(info().DevID, devId); }

    void refresh() {
        info().deviceType = scenario().deviceType;
        char hex[16];
        std::snprintf(hex, sizeof(hex), "%02X", scenario().deviceType);
        setInfoText(info().deviceType_hex, hex);
        setInfoText(info().deviceType_c, "高速");
        mDevJson = Json::Value(Json::objectValue);
        mDevJson["DevID"] = info().DevID;
        mDevJson["deviceType_hex"] = hex;
        mDevJson["deviceType_c"] = "高速";
    }

    void toGetStateJson(Json::Value& parts) override {
        for (int id : scenario().occupied) {
            Json::Value part;
            part["part_id"] = id;
            part["part_name"] = scenario().stations[id];
            part["part_has"] = true;
            parts.append(part);
        }
    }

    int get_part_list(const char*, char* out) override {
        Json::Value list(Json::arrayValue);
        for (const auto& [id, name] : scenario().stations) {
            Json::Value part;
            part["part_id"] = id;
            part["part_name"] = name;
            list.append(part);
        }
        return result_json_code(0, out, list, "");
    }

    int send_to_parts(const char* argsJson, char* out) override {
        Json::Value args;
        convertString2json(argsJson, args);
        Move move{args["conditions"], 0};
        const auto refusal = scenario().refusals.find(scenario().moves.size());
        if (refusal != scenario().refusals.end()) move.result = refusal->second;
        scenario().moves.push_back(move);
        return result_json_code(move.result, out, move.result == 0 ? "" : "拒绝");
    }

    int _PowerOff(int) override {
        ++scenario().powerOffs;
        return 0;
    }
};

class FakeConnection : public BaseDevice {
  public:
    int open_dev(const char*, char* out) override { return result_json_code(0, out, ""); }

    // The SDK's own selection over the models of the scenario, made anew for
    // each request since the scenario changes from test to test.
    int findObject(const char* argsJson, std::vector<kqDev*>& found) override {
        Json::Value args;
        convertString2json(argsJson, args);
        scenario().requests.push_back(args);
        DeviceGroup& group = mDevices[0];
        group.models.clear();
        for (const std::string& id : scenario().devIds) {
            auto model = std::make_unique<FakeModel>(id);
            model->refresh();
            group.models[id] = std::move(model);
        }
        return selectModels(argsJson, mDevices, found);
    }

    static int checkconnects(const char*, char* out) { return result_json_code(0, out, ""); }
    static std::unique_ptr<BaseDevice> _CreateObjectByName() {
        return std::make_unique<FakeConnection>();
    }

  private:
    DeviceList mDevices;
};

ClassRegistration<BaseDevice, FakeConnection> registerClass("DSPrinterAsDevice");
StaticRegistration<BaseDevice> registerCheck("DSPrinterAsDevice", "checkconnects",
                                             &FakeConnection::checkconnects);

}  // namespace
}  // namespace devconsole_test
