#include <gtest/gtest.h>

#include <memory>

#include "FakeWeb.h"
#include "StringReplace.h"
#include "XError.h"
#include "XObjectInformationMap.h"
#include "XObjectInformationRequestHandler.h"
#include "XSimpleJsonParser.h"

namespace {

TEST(XSimpleJsonParser, AcceptsAndRejects) {
    struct Case {
        const char* text;
        bool accepted;
    } cases[] = {
        {"{}", true},
        {"{ }", false},
        {"  {\"a\":1}", true},
        {"{\"a\":1", false},
        {"{\"a\" : \"x\" , \"b\":[1, \"y\",{}]}", true},
        {"{\"a\":{\"b\":{\"c\":null}}}", true},
        {"{\"a\":true,\"b\":false,\"c\":null,\"d\":-1.5e3}", true},
        {"{\"a\":tru}", false},
        {"{\"a\":nil}", false},
        {"{\"a\":x}", false},
        {"{\"a\":\"\\q\"}", false},
        {"{\"a\":\"\\u12\"}", false},
        {"{\"a\":\"unterminated}", false},
        {"{\"a\":1,}", true},
        {"{\"a\":1 x}", false},
        {"{\"a\":1} trailing", true},
        {"[1]", false},
        {"", false},
    };
    for (const Case& c : cases) {
        std::map<std::string, std::string> values;
        EXPECT_EQ(XSimpleJsonParser(c.text, values), c.accepted) << c.text;
    }
}

TEST(XSimpleJsonParser, MemberValues) {
    std::map<std::string, std::string> values;
    ASSERT_TRUE(
        XSimpleJsonParser("{\"s\":\"a\\\"b\\n\\u0041c\",\"n\":12,\"o\":{\"k\":\"v\",\"e\":[]},"
                          "\"l\":[1, \"x\" ],\"s\":\"second\"}",
                          values));
    EXPECT_EQ(values["s"], "a\"b\nc");
    EXPECT_EQ(values["n"], "12");
    EXPECT_EQ(values["o"], "{k:\"v\",e:[]}");
    EXPECT_EQ(values["l"], "[1,\"x\"]");
    EXPECT_EQ(values.size(), 4u);
}

TEST(StringReplace, LeftToRightAfterInsertedText) {
    struct Case {
        std::string text, from, to, expected;
    } cases[] = {
        {"a\"b\"", "\"", "\\\"", "a\\\"b\\\""},
        {"aaa", "a", "aa", "aaaaaa"},
        {"abab", "ab", "", ""},
        {"abc", "", "x", "abc"},
        {"aaaa", "aa", "b", "bb"},
    };
    for (Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(StringReplace(text, c.from, c.to), c.expected) << c.text;
    }
}

TEST(XError, Texts) {
    EXPECT_EQ(XError(0).ToString(), "Success");
    EXPECT_EQ(XError(7).ToString(), "Property is not known");
    EXPECT_EQ(XError(13).ToString(), "Failed image encoding");
    EXPECT_EQ(XError(14).ToString(), "Unknown error code: 14");
    EXPECT_EQ(XError(-1).ToString(), "Unknown error code: -1");
}

class InformationHandler : public ::testing::Test {
  protected:
    std::string Get(const std::string& vars, const std::string& method = "GET") {
        FakeRequest request;
        request.method = method;
        if (!vars.empty()) request.variables["vars"] = vars;
        FakeResponse response;
        handler.HandleHttpRequest(request, response);
        return response.sent;
    }

    std::shared_ptr<XObjectInformationMap> properties =
        std::make_shared<XObjectInformationMap>(PropertyMap{{"product", "lumorax"},
                                                            {"version", "1.1.0"},
                                                            {"platform", "Linux"},
                                                            {"object", "{\"a\":1}"},
                                                            {"broken", "{\"a\":1"},
                                                            {"quoted", "say \"hi\""}});
    XObjectInformationRequestHandler handler{"/version", properties};
};

TEST_F(InformationHandler, SelectedPropertiesInNameOrder) {
    struct Case {
        std::string vars, config;
    } cases[] = {
        {"version,product", "{\"product\":\"lumorax\",\"version\":\"1.1.0\"}"},
        {"nothing", "{}"},
        {",version,,version,nothing,", "{\"version\":\"1.1.0\"}"},
        {"object,broken,quoted",
         "{\"broken\":\"{\\\"a\\\":1\",\"object\":{\"a\":1},\"quoted\":\"say \\\"hi\\\"\"}"},
    };
    for (const Case& c : cases) {
        const std::string body = "{\"status\":\"OK\",\"config\":" + c.config + "}";
        EXPECT_EQ(Get(c.vars),
                  "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                      std::to_string(body.size()) +
                      "\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
                      "no-cache\r\nExpires: 0\r\n\r\n" +
                      body)
            << c.vars;
    }
}

TEST_F(InformationHandler, AllPropertiesWithoutVars) {
    const std::string reply = Get("");
    EXPECT_NE(reply.find("{\"status\":\"OK\",\"config\":{\"broken\":"), std::string::npos);
    EXPECT_NE(reply.find("\"version\":\"1.1.0\"}}"), std::string::npos);
}

TEST_F(InformationHandler, OtherMethodsAreRefused) {
    for (const char* method : {"POST", "PUT", "OPTIONS"}) {
        EXPECT_EQ(Get("", method),
                  "HTTP/1.1 405 Method Not Allowed\r\nAllow: GET\r\nContent-Type: "
                  "text/plain\r\nConnection: close\r\n\r\nMethod Not Allowed");
    }
}

}  // namespace
