// A machine played by the tests behind the SDK: the connection class
// "DSPrinterAsDevice" (a name no connection of the SDK takes), registered
// here, opens one model per device id of the scenario. The models answer
// state, station list, move and power-off requests from the scenario and
// record every move.
#pragma once

#include <json/json.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace devconsole_test {

struct Move {
    Json::Value conditions;
    int result = 0;
};

struct MachineScenario {
    unsigned int deviceType = 128;
    std::vector<std::string> devIds = {"FAKE0000000001"};
    std::map<int, std::string> stations;
    std::set<int> occupied;  // stations the state read reports with a card
    // Moves answered with a code: the index of the move (from 0) to the code.
    std::map<size_t, int> refusals;
    std::vector<Move> moves;
    std::vector<Json::Value> requests;  // every request that reached the machine
    int powerOffs = 0;

    // The "part_id" -> "target_id" pairs of the moves, in order.
    std::vector<std::pair<int, int>> legs() const;
};

// The scenario the machine plays; tests reset it in their set-up.
MachineScenario& scenario();

// Stations 0 to 3 (printers), 20 to 27 (exit slots), 100 (supply), 200 (trolley).
std::map<int, std::string> highSpeedStations();
// The first n stations of a standard mechanism, with their names.
std::map<int, std::string> standardStations(int n);

}  // namespace devconsole_test
