#include "DevhttpdProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

namespace {

const char* const kLogPrefix = "\\home\\kqlogs\\kq_server_logs\\";

}  // namespace

DevhttpdProcess::DevhttpdProcess() {
    mDir.Write(kLogPrefix, "");
}

DevhttpdProcess::~DevhttpdProcess() {
    if (mPid > 0) Stop(SIGKILL);
}

bool DevhttpdProcess::Start(const std::vector<std::string>& args, uint16_t port) {
    mPort = port;
    mPid = fork();
    if (mPid < 0) return false;
    if (mPid == 0) {
        const int out =
            open((mDir.Path() + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        if (chdir(mDir.Path().c_str()) != 0) _exit(126);
        const std::string program = DEVHTTPD_PATH;
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    // The sanitized build starts in well under a second; allow plenty.
    for (int i = 0; i < 200; ++i) {
        if (PortAnswers(port)) return true;
        int status = 0;
        if (waitpid(mPid, &status, WNOHANG) == mPid) {
            mPid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool DevhttpdProcess::StartOnFreePort() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const uint16_t port = FreePort();
        if (Start({"http_port", std::to_string(port)}, port)) return true;
        Stop(SIGKILL);
    }
    return false;
}

int DevhttpdProcess::Stop(int signal) {
    if (mPid <= 0) return -1;
    kill(mPid, signal);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 200 && done == 0; ++i) {
        done = waitpid(mPid, &status, WNOHANG);
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (done == 0) {
        kill(mPid, SIGKILL);
        waitpid(mPid, &status, 0);
    }
    mPid = -1;
    return done == 0 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
}

std::string DevhttpdProcess::Output() const {
    return ReadFile(mDir.Path() + "/stdout.txt");
}

std::string DevhttpdProcess::ServiceLog() const {
    return ReadFile(mDir.Path() + "/" + kLogPrefix + "VXDevice.log");
}
