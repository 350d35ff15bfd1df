#include "SampleCard.h"

void hn_data(const char* serialNumber, int width, int height, bool rotate, bool exportFile,
             Json::Value& out) {
    Json::Value settings(Json::objectValue);
    settings["CardType"] = "JZZHN";
    settings["isRotate180"] = rotate;
    settings["width"] = width;
    settings["height"] = height;
    settings["export_file"] = exportFile;
    out["PrintSettings"] = settings;

    Json::Value card(Json::objectValue);
    // 112 bytes: drawn on two lines.
    card["residence_address"] =
        "海南省海口市美兰区海府路示例街道样本社区幸福花园小区十二栋三单元A-B1204号房间";
    card["qzrq1"] = "2024/05/20";
    card["authority1"] = "海口市公安局美兰分局";  // 30 bytes
    card["yxrq_start"] = "2024年05月20日";
    card["yxrq_end"] = "2027年05月20日";
    card["name"] = "样本";
    card["gender_str"] = "男";
    card["nation_str"] = "汉";
    card["id_code"] = "460100199001010017";
    card["household_address"] = "湖南省长沙市岳麓区示例路1号";
    card["photo_base64"] = photo_jpg;
    card["printer_name"] = "CXB";
    card["serialNumber"] = serialNumber ? serialNumber : "";
    card["method"] = "print";
    card["isDebug"] = false;
    card["isRotate180"] = rotate;
    card["jzz_type"] = "HN";
    Json::Value data(Json::arrayValue);
    data.append(card);
    out["RegisterData"] = data;
}
