// libDrawCR80Image through a recording stand-in SDK, and the address split.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CardPrint.h"
#include "LibCR80SDK.h"
#include "SampleCard.h"

namespace {

// Loads the recording stand-in as the process's first SDK, once.
class Cr80Draw : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (firstSdk()) return;
        stub = new LibCR80SDK();
        testing::internal::CaptureStdout();
        const int rc = stub->LoadLibCR80SDK("cr80stub_full.so", STUB_DIR "/");
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(0, rc);
        LibCR80SDK::mapLibs[stub] = "KQCR80Printer.so";
    }
    // Loaded for the whole process, as the program keeps its SDK.
    static LibCR80SDK* stub;
    void SetUp() override {
        ASSERT_NE(nullptr, firstSdk());
        void* h = firstSdk()->libHandle;
        calls = reinterpret_cast<const char* (*)()>(dlsym(h, "cr80stub_calls"));
        reset = reinterpret_cast<void (*)()>(dlsym(h, "cr80stub_reset"));
        set = reinterpret_cast<void (*)(const char*, int)>(dlsym(h, "cr80stub_set"));
        ASSERT_TRUE(calls && reset && set);
        reset();
        set("CommitSize", 100);
    }

    // Runs the request; the result document, with the trace kept off the test output.
    std::string print(const std::string& request, int* code = nullptr) {
        std::vector<char> result(1 << 20, 0);
        testing::internal::CaptureStdout();
        const int rc = libDrawCR80Image("A1", request.c_str(), result.data());
        testing::internal::GetCapturedStdout();
        if (code) *code = rc;
        return result.data();
    }

    std::vector<std::string> lines(const std::string& prefix) const {
        std::vector<std::string> out;
        const std::string all = calls();
        for (size_t at = 0; at < all.size();) {
            const size_t end = all.find('\n', at);
            const std::string line = all.substr(at, end - at);
            if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
            at = end + 1;
        }
        return out;
    }

    const char* (*calls)() = nullptr;
    void (*reset)() = nullptr;
    void (*set)(const char*, int) = nullptr;
};

LibCR80SDK* Cr80Draw::stub = nullptr;

std::string request(const std::string& conditions) {
    return "{\"conditions\":" + conditions + "}";
}

const std::string kCard =
    "\"RegisterData\":[{\"residence_address\":\"ABC\",\"authority1\":\"AUTH\",\"qzrq1\":\"2024/05/"
    "20\"}]";

TEST_F(Cr80Draw, RequestsRefusedBeforeAnySdkCall) {
    struct Case {
        const char* request;
        const char* document;
        int code;
    };
    const Case cases[] = {
        {"{\"x\":1}", "{\"msg\":\"无效数据不存在conditions\",\"result\":13}", 13},
        {"{\"conditions\":", "{\"msg\":\"失败：\",\"result\":-1}", -1},
        {"{\"conditions\":{\"PrintSettings\":{}}}",
         "{\"msg\":\"无效数据不存在cardType\",\"result\":13}", 13},
        {"{\"conditions\":{\"card_type\":\"\"}}",
         "{\"msg\":\"无效数据不存在cardType\",\"result\":13}", 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        reset();
        int code = 0;
        EXPECT_EQ(c.document, print(c.request, &code));
        EXPECT_EQ(c.code, code);
        EXPECT_STREQ("", calls());
    }
}

TEST_F(Cr80Draw, UprightSampleCallsTheSdkInOrder) {
    int code = -5;
    EXPECT_EQ("{\"msg\":\"成功\",\"result\":0}",
              print(request("{\"PrintSettings\":{\"CardType\":\"JZZHN\",\"export_file\":true}," +
                            kCard + "}"),
                    &code));
    EXPECT_EQ(0, code);
    EXPECT_STREQ(
        "PrepareCanvas A1 0 0\n"
        "SetPreviewImg A1 0 0 0 0 0\n"
        "SetFont A1 ./fonts/msyh.ttc 30\n"
        "DrawText A1 [ABC] 0 252 480 0 0\n"
        "DrawText A1 [AUTH] 0 252 576 0 0\n"
        "DrawText A1 [2024/05/20] 0 802 576 0 0\n"
        "CommitCanvas A1 null\n"
        "CommitCanvas A1 buffer 100\n"
        "GetPreviewImg A1\n"
        "PrintDraw A1 B 100 0 0\n"
        "ClearCanvas A1\n",
        calls());
}

TEST_F(Cr80Draw, CardTypeAndSettings) {
    struct Case {
        const char* conditions;
        bool eraseRect;
        const char* prepare;
        const char* preview;
    };
    const Case cases[] = {
        // "card_type" comes last and wins over "CardType".
        {"\"CardType\":\"JZZGX\",\"card_type\":\"JZZHN\"", false, "PrepareCanvas A1 0 0",
         "SetPreviewImg A1 0 0 0 0 0"},
        {"\"PrintSettings\":{\"CardType\":\"JZZHN\"},\"cardType\":\"JZZGX\"", true,
         "PrepareCanvas A1 0 0", "SetPreviewImg A1 0 0 0 0 0"},
        {"\"PrintSettings\":{\"CardType\":\"JZZGX\",\"isRotate180\":true,\"nMonoChroMode\":true}",
         true, "PrepareCanvas A1 0 1", "SetPreviewImg A1 0 180 0 0 0"},
        // Settings of the wrong type keep their defaults.
        {"\"PrintSettings\":{\"isRotate180\":\"yes\",\"width\":\"wide\"},\"CardType\":\"X\"", false,
         "PrepareCanvas A1 0 0", "SetPreviewImg A1 0 0 0 0 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conditions);
        reset();
        set("CommitSize", 100);
        EXPECT_EQ("{\"msg\":\"成功\",\"result\":0}",
                  print(request(std::string("{") + c.conditions + "," + kCard + "}")));
        EXPECT_EQ(std::vector<std::string>{c.prepare}, lines("PrepareCanvas"));
        EXPECT_EQ(std::vector<std::string>{c.preview}, lines("SetPreviewImg"));
        const std::vector<std::string> erase = lines("SetEraseRect");
        if (c.eraseRect) {
            EXPECT_EQ(std::vector<std::string>{"SetEraseRect A1 0 0 574 198"}, erase);
            // Set before anything is drawn.
            EXPECT_LT(std::string(calls()).find("SetEraseRect"),
                      std::string(calls()).find("SetFont"));
        } else {
            EXPECT_TRUE(erase.empty());
        }
        EXPECT_TRUE(lines("GetPreviewImg").empty());
    }
}

TEST_F(Cr80Draw, LargerCanvasShiftsTheTexts) {
    // 84 bytes of address: two lines.
    std::string address;
    for (int i = 0; i < 28; ++i) address += "区";
    print(
        request("{\"PrintSettings\":{\"width\":1216,\"height\":848},\"CardType\":\"JZZHN\","
                "\"RegisterData\":[{\"residence_address\":\"" +
                address + "\",\"authority1\":\"AUTH\",\"qzrq1\":\"D\"}]}"));
    std::string first, second;
    for (int i = 0; i < 20; ++i) first += "区";
    for (int i = 0; i < 8; ++i) second += "区";
    EXPECT_EQ((std::vector<std::string>{"DrawText A1 [" + first + "] 0 352 580 0 0",
                                        "DrawText A1 [" + second + "] 0 352 528 0 0",
                                        "DrawText A1 [AUTH] 0 352 576 0 0",
                                        "DrawText A1 [D] 0 902 676 0 0"}),
              lines("DrawText"));
}

TEST_F(Cr80Draw, AddressLines) {
    std::string eight, cut84;
    for (int i = 0; i < 8; ++i) eight += "区";
    std::string long300;
    for (int i = 0; i < 100; ++i) long300 += "区";
    for (int i = 0; i < 84; ++i) cut84 += "区";  // 252 bytes: the whole characters of 254
    struct Case {
        std::string address;
        std::vector<std::string> drawn;
    };
    const Case cases[] = {
        {"123456789012345678901", {"DrawText A1 [123456789012345678901] 0 252 480 0 0"}},
        {eight, {"DrawText A1 [" + eight + "] 0 252 480 0 0", "DrawText A1 [] 0 252 528 0 0"}},
        {long300,
         {"DrawText A1 [" + cut84.substr(0, 60) + "] 0 252 480 0 0",
          "DrawText A1 [" + cut84.substr(60) + "] 0 252 528 0 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address.size());
        reset();
        set("CommitSize", 100);
        print(request("{\"CardType\":\"JZZHN\",\"residence_address\":\"" + c.address + "\"}"));
        std::vector<std::string> drawn = lines("DrawText");
        drawn.resize(drawn.size() - 2);  // authority and date
        EXPECT_EQ(c.drawn, drawn);
    }
}

TEST_F(Cr80Draw, ClearCanvasAfterEverySuccessfulPrepare) {
    struct Case {
        const char* failing;  // the function set to fail, or "CommitSize" for a size of 0
        int value;
        const char* document;
        bool cleared;
        bool printed;
    };
    const Case cases[] = {
        {"PrepareCanvas", 21, "{\"msg\":\"未就绪\",\"result\":21}", false, false},
        {"SetFont", 5, "{\"msg\":\"失败：\",\"result\":5}", true, false},
        {"DrawText", 2190, "{\"msg\":\"错误\",\"result\":2190}", true, false},
        {"CommitSize", 0, "{\"msg\":\"失败：\",\"result\":-1}", true, false},
        {"GetPreviewImg", 24, "{\"msg\":\"长度不正确\",\"result\":24}", true, false},
        {"PrintDraw", 230, "{\"msg\":\"失败：\",\"result\":230}", true, true},
        {"SetPreviewImg", 1003, "{\"msg\":\"成功\",\"result\":0}", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        reset();
        set("CommitSize", 100);
        set(c.failing, c.value);
        EXPECT_EQ(
            c.document,
            print(request("{\"PrintSettings\":{\"export_file\":true},\"CardType\":\"JZZHN\"," +
                          kCard + "}")));
        EXPECT_EQ(c.cleared ? 1u : 0u, lines("ClearCanvas").size());
        EXPECT_EQ(c.printed ? 1u : 0u, lines("PrintDraw").size());
        const std::string all = calls();
        if (c.cleared) {
            EXPECT_EQ("ClearCanvas A1\n", all.substr(all.size() - 15)) << "the last call";
        }
    }
}

TEST(Cr80SampleCard, TextsHaveTheirFormsAndLengths) {
    Json::Value sample(Json::objectValue);
    hn_data("SN1", 1216, 848, true, false, sample);
    const Json::Value& settings = sample["PrintSettings"];
    EXPECT_EQ("JZZHN", settings["CardType"].asString());
    EXPECT_TRUE(settings["isRotate180"].asBool());
    EXPECT_FALSE(settings["export_file"].asBool());
    EXPECT_EQ(1216, settings["width"].asInt());
    EXPECT_EQ(848, settings["height"].asInt());
    ASSERT_EQ(1u, sample["RegisterData"].size());
    const Json::Value& card = sample["RegisterData"][0];
    EXPECT_EQ(112u, card["residence_address"].asString().size());
    EXPECT_EQ(30u, card["authority1"].asString().size());
    EXPECT_EQ(18u, card["id_code"].asString().size());
    EXPECT_EQ("SN1", card["serialNumber"].asString());
    EXPECT_EQ("HN", card["jzz_type"].asString());
    EXPECT_TRUE(card["isRotate180"].asBool());
    const std::string date = card["qzrq1"].asString();
    ASSERT_EQ(10u, date.size());
    EXPECT_EQ('/', date[4]);
    EXPECT_EQ('/', date[7]);
    // The photo: base64 of a whole JPEG (start and end markers).
    const std::string photo = card["photo_base64"].asString();
    ASSERT_EQ(34672u, photo.size());
    EXPECT_EQ(0u, photo.find("/9j/")) << "FF D8 FF";
    EXPECT_EQ(std::string::npos,
              photo.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"));
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto value = [&](char c) {
        return static_cast<unsigned>(std::strchr(digits, c) - digits);
    };
    const size_t n = photo.size();
    const unsigned last = value(photo[n - 4]) << 18 | value(photo[n - 3]) << 12 |
                          value(photo[n - 2]) << 6 | value(photo[n - 1]);
    EXPECT_EQ(0xD9u, last & 0xFF);
    EXPECT_EQ(0xFFu, last >> 8 & 0xFF);
}

TEST(Cr80DrawAddrLen, SplitsByDisplayWidth) {
    std::string zh20, zh21;
    for (int i = 0; i < 20; ++i) zh20 += "中";
    zh21 = zh20 + "文";
    const std::string ascii40(40, 'a');
    struct Case {
        const char* what;
        std::string text;
        std::string line1, line2;
    };
    const Case cases[] = {
        {"ASCII at the limit", ascii40, ascii40, ""},
        {"ASCII over it", ascii40 + "bc", ascii40, "bc"},
        {"Chinese at the limit", zh20, zh20, ""},
        {"Chinese over it", zh21, zh20, "文"},
        {"mixed", "ab" + zh20, "ab" + zh20.substr(0, 57), "中"},
        {"a lone continuation byte counts 1", "\x80" + zh20, "\x80" + zh20.substr(0, 57), "中"},
        {"a character cut by the end", "ab\xE4\xB8", "ab\xE4\xB8", ""},
        {"once over, the rest stays on line 2", zh20 + "x" + "y", zh20, "xy"},
        {"empty", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> line1(c.text.size() + 1, 'X'), line2(c.text.size() + 1, 'X');
        DrawAddrLen(21, c.text.c_str(), line1.data(), line2.data());
        EXPECT_EQ(c.line1, line1.data());
        EXPECT_EQ(c.line2, line2.data());
    }
}

}  // namespace
