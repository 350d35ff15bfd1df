#include "Devhttpd.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int kStartWaitSteps = 200;  // 20 s in steps of 100 ms
constexpr int kStopWaitSteps = 600;   // 30 s in steps of 50 ms
constexpr int kReplyTimeoutMs = 60000;

}  // namespace

Devhttpd::Devhttpd() {
    for (int attempt = 0; attempt < 3 && mPid < 0; ++attempt) {
        mPort = FreePort();
        const std::string port = std::to_string(mPort);
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(mDir.Path().c_str()) != 0) _exit(126);
            const std::string log = mDir.Path() + "/devhttpd.out";
            if (freopen(log.c_str(), "w", stdout) == nullptr) _exit(126);
            std::vector<char*> argv = {const_cast<char*>(DEVHTTPD_PATH),
                                       const_cast<char*>("http_port"),
                                       const_cast<char*>(port.c_str()), nullptr};
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < kStartWaitSteps && pid > 0; ++i) {
            if (PortAnswers(mPort)) {
                mPid = pid;
                break;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) break;
            usleep(100000);
        }
        if (mPid < 0 && pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

Devhttpd::~Devhttpd() {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    int status = 0;
    for (int i = 0; i < kStopWaitSteps; ++i) {
        if (waitpid(mPid, &status, WNOHANG) == mPid) {
            // A sanitizer report at the service's exit shows only in its status.
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                ADD_FAILURE() << "devhttpd ended with status " << status
                              << " (its standard error is above)";
            }
            return;
        }
        usleep(50000);
    }
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    ADD_FAILURE() << "devhttpd did not stop within 30 s of SIGTERM";
}

Json::Value Devhttpd::Call(const std::string& body, int* status) {
    Json::Value request;
    std::string funccode = "none";
    if (Json::Reader().parse(body, request) && request.isObject() &&
        request["funccode"].isString()) {
        funccode = request["funccode"].asString();
    } else {
        // A body that is not JSON still goes to the route its text names.
        const std::string key = "\"funccode\":\"";
        const size_t at = body.find(key);
        if (at != std::string::npos) {
            const size_t start = at + key.size();
            funccode = body.substr(start, body.find('"', start) - start);
        }
    }
    const std::string http = "POST /api/call_method/" + funccode +
                             " HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/json\r\n"
                             "Connection: close\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body;
    TestConnection connection(mPort, kReplyTimeoutMs);
    HttpReply reply;
    if (!connection.Connected() || !connection.Send(http) || !connection.Read(reply)) {
        if (status != nullptr) *status = 0;
        return Json::Value();
    }
    if (status != nullptr) *status = reply.status;
    Json::Value document;
    if (!Json::Reader().parse(reply.body, document)) return Json::Value();
    return document;
}

Json::Value Devhttpd::Method(const std::string& funccode, const std::string& members) {
    return Call(R"({"funccode":")" + funccode + R"(","object_name":"KQUSBDevice")" +
                (members.empty() ? "" : "," + members) + "}");
}
