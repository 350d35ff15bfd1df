// In-memory request and response for calling handlers directly.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "IWebRequestHandler.h"

struct FakeRequest : IWebRequest {
    std::string uri = "/", method = "GET", proto = "HTTP/1.1", query, body;
    std::map<std::string, std::string> variables, headers;

    std::string Uri() const override { return uri; }
    std::string Method() const override { return method; }
    std::string Proto() const override { return proto; }
    std::string Query() const override { return query; }
    std::string Body() const override { return body; }
    std::string GetVariable(const std::string& name) const override {
        auto it = variables.find(name);
        return it == variables.end() ? std::string() : it->second;
    }
    std::map<std::string, std::string> Headers() const override { return headers; }
};

struct FakeResponse : IWebResponse {
    std::string sent;
    int errorCode = 0;
    std::string errorText;
    bool closed = false;
    std::vector<uint32_t> timers;
    size_t waiting = 0;

    size_t ToSendDataLength() const override { return waiting; }
    void Send(const uint8_t* buffer, size_t length) override {
        sent.append(reinterpret_cast<const char*>(buffer), length);
    }
    __attribute__((format(printf, 2, 3))) void Printf(const char* fmt, ...) override {
        va_list args;
        va_start(args, fmt);
        sent += Format(fmt, args);
        va_end(args);
    }
    void SendChunk(const uint8_t* buffer, size_t length) override { Send(buffer, length); }
    __attribute__((format(printf, 2, 3))) void PrintfChunk(const char* fmt, ...) override {
        va_list args;
        va_start(args, fmt);
        sent += Format(fmt, args);
        va_end(args);
    }
    void SendError(int code, const char* fmt, ...) override {
        va_list args;
        va_start(args, fmt);
        errorCode = code;
        errorText = fmt != nullptr ? Format(fmt, args) : "";
        va_end(args);
    }
    void CloseConnection() override { closed = true; }
    void SetTimer(uint32_t msec) override { timers.push_back(msec); }

    static std::string Format(const char* fmt, va_list args) {
        char buffer[4096];
        const int n = std::vsnprintf(buffer, sizeof(buffer), fmt, args);
        return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(n, sizeof(buffer) - 1));
    }
};
