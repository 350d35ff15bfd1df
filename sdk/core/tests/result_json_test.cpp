#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ResultJson.h"

namespace {

std::string write(int (*fn)(char*)) {
    std::vector<char> out(4096, 'x');
    fn(out.data());
    return out.data();
}

struct DocCase {
    const char* name;
    int (*writer)(char*);
    const char* expected;
};

const DocCase kDocCases[] = {
    {"success", [](char* o) { return result_json_code(0, o, ""); }, R"({"msg":"成功","result":0})"},
    {"caller message appended",
     [](char* o) { return result_json_code(13, o, "传入Json数据无效，无法转换"); },
     R"({"msg":"无效数据传入Json数据无效，无法转换","result":13})"},
    {"code not in table drops msg", [](char* o) { return result_json_code(3, o, "ignored"); },
     R"({"result":3})"},
    {"negative code", [](char* o) { return result_json_code(-5, o, "x"); }, R"({"result":-5})"},
    {"empty table message", [](char* o) { return result_json_code(1153, o, "x"); },
     R"({"msg":"x","result":1153})"},
    {"empty table message alone", [](char* o) { return result_json_code(1153, o, ""); },
     R"({"msg":"","result":1153})"},
    {"null data value stays", [](char* o) { return result_json_code(0, o, Json::Value(), ""); },
     R"({"data":null,"msg":"成功","result":0})"},
    {"text data", [](char* o) { return result_json_code(1167, o, const_cast<char*>("d"), ""); },
     R"({"data":"d","msg":"设备未连接","result":1167})"},
    {"escapes quotes and backslashes", [](char* o) { return result_json_code(0, o, "a\"b\\c"); },
     R"({"msg":"成功a\"b\\c","result":0})"},
    {"uuid writer keys in byte order",
     [](char* o) { return result_json_code(0, o, 7, "s-1", Json::Value(1), ""); },
     R"({"data":1,"msg":"成功","result":0,"suuid":"s-1","uuid":7})"},
    {"uuid writer, code not in table", [](char* o) { return result_json_code(9, o, 7, "s", ""); },
     R"({"result":9,"suuid":"s","uuid":7})"},
    {"result_json takes the message unchanged",
     [](char* o) { return result_json(3, o, "自由文本"); }, R"({"msg":"自由文本","result":3})"},
    {"result_json with data",
     [](char* o) { return result_json(0, o, "m", Json::Value(Json::arrayValue)); },
     R"({"data":[],"msg":"m","result":0})"},
};

void PrintTo(const DocCase& c, std::ostream* os) {
    *os << c.name;
}

class ResultDocument : public ::testing::TestWithParam<DocCase> {};

TEST_P(ResultDocument, IsWrittenByteForByte) {
    EXPECT_EQ(write(GetParam().writer), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Writers, ResultDocument, ::testing::ValuesIn(kDocCases),
                         [](const auto& p) {
                             std::string n = p.param.name;
                             for (char& c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

TEST(ResultDocumentTest, ReturnsTheCodeItWasGiven) {
    char out[256];
    EXPECT_EQ(result_json_code(1167, out, ""), 1167);
    EXPECT_EQ(result_json(-3, out, ""), -3);
}

TEST(ResultDocumentTest, TableHasItsFortyNineEntries) {
    EXPECT_EQ(BaseCode().size(), 49u);
    EXPECT_EQ(BaseCode().at(57358), "未知错误代码");
    EXPECT_EQ(BaseCode().at(23), "数据错误（循环冗余检查）");
}

// The data writer shares one fixed 255-byte message area with the table
// message: a long caller message is cut there, at a character boundary.
TEST(ResultDocumentTest, LongMessageOfDataWriterIsCutWithinItsArea) {
    std::string longMsg;
    for (int i = 0; i < 200; ++i) longMsg += "长";
    std::vector<char> out(8192);
    result_json_code(0, out.data(), Json::Value(), longMsg.c_str());
    Json::Value doc;
    Json::Reader().parse(out.data(), doc);
    std::string msg = doc["msg"].asString();
    EXPECT_LE(msg.size(), 254u);
    EXPECT_EQ(msg.rfind("成功", 0), 0u);
    EXPECT_EQ(msg.size() % 3, 0u) << "no UTF-8 sequence is cut";
}

TEST(JsonTextTest, CompactAndStyled) {
    Json::Value v;
    v["b"] = 1;
    v["a"] = "é";
    char out[256];
    json2string(out, v, false);
    EXPECT_STREQ(out, R"({"a":"é","b":1})");
    json2string(out, v, true);
    EXPECT_NE(std::string(out).find('\n'), std::string::npos);
}

}  // namespace
