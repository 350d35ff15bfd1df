#include "PrinterBatch.h"

#include <string>

namespace devconsole {

namespace {

const int kMakers[] = {0, 2, 3};

bool has(const Occupancy& occupied, int station) {
    return occupied.count(station) != 0;
}

std::string numbered(const char* text, int n) {
    return text + std::to_string(n);
}

}  // namespace

std::vector<int> printerOrder(int side) {
    if (side >= 0 && side <= 2) return {0, 2, 3};
    if (side >= 3 && side <= 5) return {2, 3, 0};
    if (side == 6 || side == 7) return {3, 2, 0};
    return {};
}

int PrinterBatch::move(const DeviceTarget& target, int from, int to) {
    Json::Value conditions(Json::objectValue);
    conditions["part_id"] = from;
    conditions["target_id"] = to;
    return mRequests.move(target, conditions);
}

void PrinterBatch::announce(const std::string& text) {
    mLog.write(text);
    mOut << text << "\n";
}

int PrinterBatch::cycle(const DeviceTarget& target, std::vector<MockPrinter>& printers) {
    mOut << "====================================\r";
    return createCards(target, printers);
}

int PrinterBatch::readOccupancy(const DeviceTarget& target, Occupancy& occupied) {
    occupied.clear();
    const Reply reply = mRequests.state(target);
    if (reply.result != 0 || !reply.doc.isObject() || !reply.doc["data"].isArray()) {
        return reply.result;
    }
    for (const Json::Value& parts : reply.doc["data"]) {
        if (!parts.isArray()) continue;
        for (const Json::Value& part : parts) {
            if (part.isObject() && part["part_has"].isBool() && part["part_has"].asBool() &&
                part["part_id"].isInt()) {
                occupied[part["part_id"].asInt()] = true;
            }
        }
    }
    return 0;
}

int PrinterBatch::createCards(const DeviceTarget& target, std::vector<MockPrinter>& printers) {
    const std::string begin = "=============================Begin=============================";
    mOut << begin << "\n";
    mLog.write(begin);
    Occupancy occupied;
    int rc = readOccupancy(target, occupied);
    if (rc != 0) return rc;
    mLog.write("热敏机检查状态");
    MockPrinter& thermal = printers[batch::kThermal];
    if (has(occupied, batch::kThermal) && thermal.checkState() == 0) {
        mLog.write("热敏机卡口有卡并且不是制证状态");
        mLog.write("热敏机送出排卡口");
        if ((rc = move(target, batch::kThermal, batch::kFirstExitSlot + mAcceptSide)) != 0) {
            return rc;
        }
        mLog.write("检查Magic卡到热敏机");
        return handOff(target, printers);
    }
    if (has(occupied, batch::kThermal)) {
        // Asked once more: the making time may have run out meanwhile.
        if (thermal.checkState() == 0) return 0;
        mLog.write("制证中，检查Magic卡补卡");
        return refill(target, printers);
    }
    mLog.write("没卡，检查Magic卡到热敏机");
    return handOff(target, printers);
}

int PrinterBatch::handOff(const DeviceTarget& target, std::vector<MockPrinter>& printers) {
    Occupancy occupied;
    int rc = readOccupancy(target, occupied);
    if (rc != 0) return rc;
    mLog.write("计算最近当前出卡口的制证机顺序来传递到热敏机");
    int chosen = -1;
    for (int j : printerOrder(mAcceptSide)) {
        mLog.write(numbered("检查magiccard卡", j));
        // A printer whose station is empty is not asked.
        if (has(occupied, j) && printers[j].checkState() == 0) {
            chosen = j;
            break;
        }
    }
    if (chosen < 0) {
        mLog.write("没有找到制证机是有卡且做完的，开始检查是不是要制证机补卡");
        return refill(target, printers);
    }
    mLog.write(numbered("============找到一个做完的magiccard卡", chosen));
    mLog.write(numbered("推进热敏机最近的magiccard卡", chosen));
    if ((rc = move(target, chosen, batch::kThermal)) != 0) return rc;
    printers[batch::kThermal].pushCard();
    if (has(occupied, batch::kSupply)) {
        mLog.write(numbered("入卡到热敏机完成补充magiccard卡", chosen));
        if ((rc = move(target, batch::kSupply, chosen)) != 0) return rc;
        printers[chosen].pushCard();
        mAcceptSide = mAcceptSide >= batch::kExitSlots - 1 ? 0 : mAcceptSide + 1;
    }
    return 0;
}

int PrinterBatch::refill(const DeviceTarget& target, std::vector<MockPrinter>& printers) {
    Occupancy occupied;
    int rc = readOccupancy(target, occupied);
    if (rc != 0 || occupied.empty()) return rc;
    for (int t : kMakers) {
        if (has(occupied, t)) continue;
        if (!has(occupied, batch::kSupply)) return 0;
        mLog.write(numbered("补充magiccard卡", t));
        rc = move(target, batch::kSupply, t);
        if (rc == 0) printers[t].pushCard();
        return rc;
    }
    if (has(occupied, batch::kThermal) || printers[batch::kThermal].checkState() != 0) {
        announce(numbered("移动小车到热敏工口待命", batch::kThermal));
        return move(target, batch::kTrolley, batch::kThermal);
    }
    int chosen = kMakers[0];
    double longest = -1;
    for (int j : kMakers) {
        const double elapsed = printers[j].elapsedMs();
        if (elapsed > longest) {
            longest = elapsed;
            chosen = j;
        }
    }
    announce(numbered("移动小车到最近的就快完成的工位", chosen));
    return move(target, batch::kTrolley, chosen);
}

}  // namespace devconsole
