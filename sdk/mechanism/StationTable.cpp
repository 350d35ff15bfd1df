#include "mechanism/StationTable.h"

void fillStationTable(std::map<int, std::string>& parts) {
    parts[station::kEntrySlot] = "前入卡口工位";
    parts[station::kDirection] = "方向识别工位";
    parts[station::kReader] = "读卡器工位";
    parts[station::kQRCode] = "二维码识别工位";
    parts[station::kPrePrint] = "打印前工位";
    parts[station::kPrinter] = "打印机工位";
    parts[station::kFinished] = "成品卡工位";
    parts[station::kReject] = "废品卡工位";
    parts[station::kDetain] = "存卡位置";
    parts[station::kReadyToPrint] = "准备打印位置";
}

void addTransferStations(std::map<int, std::string>& parts) {
    parts[station::kBeforeTransfer] = "读卡位置和中转之间";
    parts[station::kTransfer] = "中转位置";
}
