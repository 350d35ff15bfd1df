// Drives the link layer's exported functions against the boards of kiosk-sim.
// Usage: link_probe SCENARIO [ARG...]; exit status 0 when every check held.
// Each scenario expects the boards its CTest entry gives kiosk-sim.
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "devlink.h"

namespace {

int gFailures = 0;

void check(bool ok, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    if (!ok) ++gFailures;
}

template <class A, class B>
void checkEq(const A& got, const B& want, const std::string& what) {
    std::ostringstream s;
    s << what << " (got " << got << ", want " << want << ")";
    check(got == static_cast<A>(want), s.str());
}

// Runs fn with standard output sent to a scratch file; returns what it printed.
std::string captureStdout(const std::function<void()>& fn) {
    std::fflush(stdout);
    char path[] = "/tmp/link_probe_out_XXXXXX";
    const int fd = mkstemp(path);
    const int saved = dup(1);
    dup2(fd, 1);
    fn();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(fd);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    unlink(path);
    return text.str();
}

struct Reply {
    int rc = 0;
    short package = 0;
    std::vector<unsigned char> data;
};

Reply send(Device* handle, short cmd, std::vector<unsigned char> data = {}, int timeout = 1000,
           short package = 1) {
    Reply r;
    std::vector<char> reply(3499);
    int len = 0;
    r.rc = send_command_wait_ack(handle, package, cmd, 0, reinterpret_cast<char*>(data.data()),
                                 static_cast<int>(data.size()), &r.package, reply.data(), &len,
                                 timeout);
    r.data.assign(reply.begin(), reply.begin() + (len > 0 ? len : 0));
    return r;
}

std::string text(const std::vector<unsigned char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

double cpuSeconds() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

// Boards: 09 (name=FIRST), 09 (name=SECOND).
void openSelectors() {
    Device* h = nullptr;
    checkEq(open_device(100, &h), -1, "default ids 0483:5750 find no board");
    checkEq(change_device_pid(0x0483, 0x5740), 2, "change_device_pid counts both boards");
    checkEq(get_usb_device_count(), 2, "get_usb_device_count agrees");
    for (auto [number, name] : std::vector<std::pair<unsigned, const char*>>{
             {100, "FIRST"}, {356, "FIRST"}, {200, "FIRST"}, {201, "SECOND"}}) {
        h = nullptr;
        const int rc = open_device(number, &h);
        checkEq(rc, 0, "open_device(" + std::to_string(number) + ")");
        if (rc != 0) continue;
        const Reply r = send(h, 0x0104);
        checkEq(r.rc, 0, "name query");
        check(text(r.data).find(name) != std::string::npos,
              "open_device(" + std::to_string(number) + ") reached " + name + ": " + text(r.data));
        close_device(h);
    }
    for (const char* selector : {"202", "300", "400"}) {
        h = nullptr;
        checkEq(open_device_by_path(selector, &h), -1, std::string("selector ") + selector);
    }
    checkEq(change_device_pid(0x0483, 0x5741), 0, "no board with 0483:5741");
}

// Boards: 09,addr=7 and 09,addr=5.
void addressProbe() {
    change_device_pid(0x0483, 0x5740);
    Device* h = nullptr;
    checkEq(open_device_by_path("105", &h), 0, "selector 105 finds the board answering 5");
    if (h != nullptr) {
        for (short seq : {1, 2, 0x7F}) {
            const Reply r = send(h, 0x0104, {}, 1000, seq);
            checkEq(r.rc, 0, "exchange through the probed handle");
            checkEq(static_cast<unsigned>(static_cast<unsigned short>(r.package)),
                    0x0500u | static_cast<unsigned>(seq), "package number carries address 5");
        }
        close_device(h);
    }
    h = nullptr;
    checkEq(open_device_by_path("307", &h), 0, "selector 307 finds the board answering 7");
    close_device(h);
    h = nullptr;
    checkEq(open_device_by_path("106", &h), -1, "no board answers 6");
}

// No boards, no /dev/COMn.
void nothing() {
    Device* h = nullptr;
    checkEq(change_device_pid(0x0483, 0x5740), 0, "no board attached");
    checkEq(open_device(100, &h), -1, "open_device(100) with nothing attached");
    checkEq(open_device(3, &h), -1, "open_device(3) without /dev/COM3");
}

// Board 09 with faults on commands 4001..4004 and 0211 (see the CTest entry).
void exchangeFaults() {
    change_device_pid(0x0483, 0x5740);
    Device* h = nullptr;
    if (open_device(100, &h) != 0) {
        check(false, "open_device(100)");
        return;
    }
    checkEq(send(h, 0x4001).rc, -123, "state 0x85 gives -123");
    const auto start = std::chrono::steady_clock::now();
    checkEq(send(h, 0x4002, {}, 300).rc, 230, "no reply gives 230");
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    check(waited.count() >= 290,
          "230 after the timeout (" + std::to_string(waited.count()) + " ms)");
    checkEq(send(h, 0x4003).rc, 236, "wrong check byte gives 236");
    const Reply skipped = send(h, 0x4004, {}, 1000, 9);
    checkEq(skipped.rc, 0, "a reply with the wrong package number is skipped");
    checkEq(skipped.package, 9, "the right reply is taken");
    std::string printed;
    int rc = -1;
    printed = captureStdout([&] { rc = send(h, 0x0211, {0x00, 0xA4}).rc; });
    checkEq(rc, 0, "0x0211 answered with 6A 82 returns 0");
    check(printed.find("卡返回:27266(0x6A82)") != std::string::npos,
          "the card status text is printed");
    checkEq(send(h, 0x0104).rc, 0, "the board answers normally afterwards");
    close_device(h);
}

// Board 09 answering 4005 with AA-rich data; a serial board on /dev/COM5 likewise.
// argv: the simulator's log file, which notes how each USB block was cut.
void frames(const char* simLog) {
    change_device_pid(0x0483, 0x5740);
    const std::vector<unsigned char> want = {0xAA, 0x00, 0xAA, 0xAA, 0x55};
    for (const char* selector : {"200", "COM5"}) {
        Device* h = nullptr;
        if (open_device_by_path(selector, &h) != 0) {
            check(false, std::string("open ") + selector);
            continue;
        }
        const Reply r = send(h, 0x4005, {0xAA, 0x01, 0xAA});
        checkEq(r.rc, 0, std::string(selector) + ": stuffed request and reply");
        check(r.data == want, std::string(selector) + ": reply stuffing removed");
        // 291 data bytes make a 300-byte frame: the long USB block.
        const Reply big = send(h, 0x4006, std::vector<unsigned char>(291, 0x11));
        checkEq(big.rc, 0, std::string(selector) + ": 300-byte request answered");
        close_device(h);
    }
    std::ifstream in(simLog, std::ios::binary);
    std::stringstream log;
    log << in.rdbuf();
    check(log.str().find("AA BB 08 00 01 00 05 40 AA 00 01 AA 00 45") != std::string::npos,
          "the board saw the request stuffed");
    check(log.str().find("long block, report counts 62,62,62,62,56") != std::string::npos,
          "the 300-byte frame went out as a long block in five reports");
}

// Serial boards COM5 (junk before each reply) and COM6 (bad stuffing in the reply).
void serialFaults() {
    const std::string traceDir = "/var/log/kqlogs";
    struct stat st;
    const bool created = stat(traceDir.c_str(), &st) != 0 && mkdir(traceDir.c_str(), 0755) == 0;
    // Traces from before this run are no evidence: only what is written from here on counts.
    std::map<std::string, std::streamoff> before;
    if (DIR* d = opendir(traceDir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::strncmp(e->d_name, "1_kqdev_", 8) != 0) continue;
            std::ifstream in(traceDir + "/" + e->d_name, std::ios::binary | std::ios::ate);
            before[e->d_name] = in.tellg();
        }
        closedir(d);
    }
    Device* h = nullptr;
    if (open_device(5, &h) == 0) {
        checkEq(send(h, 0x4007).rc, 0, "a reply after junk bytes is received");
        close_device(h);
    } else {
        check(false, "open COM5");
    }
    h = nullptr;
    if (open_device_by_path("COM6", &h) == 0) {
        checkEq(send(h, 0x4007, {}, 500).rc, 9, "AA followed by 55 gives 9");
        close_device(h);
    } else {
        check(false, "open COM6");
    }
    std::string traces;
    if (DIR* d = opendir(traceDir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::strncmp(e->d_name, "1_kqdev_", 8) != 0) continue;
            std::ifstream in(traceDir + "/" + e->d_name, std::ios::binary);
            const auto old = before.find(e->d_name);
            if (old != before.end() && old->second > 0) in.seekg(old->second);
            std::stringstream s;
            s << in.rdbuf();
            traces += s.str();
            if (created) unlink((traceDir + "/" + e->d_name).c_str());
        }
        closedir(d);
    }
    if (created) rmdir(traceDir.c_str());
    check(traces.find("[DIRTY DATA]:loggerPackage:") != std::string::npos &&
              traces.find("11 22") != std::string::npos,
          "the trace shows the junk as dirty data");
    check(traces.find("[ERROR PACKAGE]:") != std::string::npos, "the trace shows the bad stuffing");
}

// Board 09; one raw read that waits 2 seconds for nothing.
void idleRead() {
    change_device_pid(0x0483, 0x5740);
    Device* h = nullptr;
    if (open_device(100, &h) != 0) {
        check(false, "open_device(100)");
        return;
    }
    unsigned char buffer[3499];
    int len = 0;
    const double cpuBefore = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    checkEq(raw_read(h, buffer, &len, 2000), 230, "nothing to read");
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuBefore;
    check(wall >= 1.9, "the read waited its 2 s (" + std::to_string(wall) + " s)");
    check(cpu < 0.05 * wall, "CPU during the wait: " + std::to_string(cpu) + " s");
    close_device(h);
}

// Board 09 with canned replies; a serial board on /dev/COM7. argv: script folder.
void script(const char* folder) {
    change_device_pid(0x0483, 0x5740);
    Device* h = nullptr;
    if (open_device(100, &h) != 0) {
        check(false, "open_device(100)");
        return;
    }
    const std::string dir = folder;
    std::ofstream(dir + "/inner.txt") << "I = S(4008)\n=OUTPUT(inner [I])\n";
    std::ofstream(dir + "/sub.txt") << "Q = SEND(0104)\n";
    std::ostringstream body;
    body << "# bench script\n"
            "R = SEND(4008 0102)\n"
            "V = SET(ABCDEF)\n"
            "=OUTPUT([V,2] [V,2,3] [V,4,9] [R])\n"
            "=IF(00 04 0A0B 4008)\n=OUTPUT(then)\n=ELSE()\n=OUTPUT(else)\n=ENDIF()\n"
            "=IF(00 02 FF 4008)\n=OUTPUT(then2)\n=ELSE()\n=OUTPUT(else2)\n=ENDIF()\n"
            "T = TEST(01 00 02 0A 4008)\n"
            "=TEST_RESULT(01 05 4009 00)\n"
            "=TEST_CLEAR_CONTINUE(01 00 02 FF 4008)\n"
            "=DELAY(100)\n"
            "=INCLUDE("
         << dir
         << "/inner.txt)\n"
            "=CREATESUBDEV(00 07 000000 C200 0001)\n"
            "=SUBDEV(07,"
         << dir
         << "/sub.txt)\n"
            "=EXIST(0)\n"
            "=OUTPUT(never)\n";
    std::string text = body.str();
    std::vector<char> out(8192);
    const int rc = run_script(h, &text[0], out.data(), static_cast<int>(out.size()), 0);
    const std::string transcript = out.data();
    std::fprintf(stderr, "%s", transcript.c_str());
    checkEq(rc, 0, "the script ran to EXIST(0)");
    for (const char* line :
         {">>SEND(40080102)\n<<0A0B0C\n", ">>OUTPUT(ABCDEEF0A0B0C)\n",
          "<<0A0B0C, CMP:0A0B=0A0B\n>>OUTPUT(then)\n>>ELSE()\n>>ENDIF()",
          "<<0A0B0C, CMP:0A=FF\n>>ELSE()\n>>OUTPUT(else2)\n>>ENDIF()", "<<0A0B0C, CMP:0A=0A\n",
          ">>TEST_RESULT(0105400900)\n", "CMP:0A=FF\n<<0A0B0C, CMP:0A=FF\n",
          ">>OUTPUT(inner0A0B0C)\n", ">>SUBDEV(07,"}) {
        check(transcript.find(line) != std::string::npos, std::string("transcript has ") + line);
    }
    check(transcript.find("never") == std::string::npos, "EXIST ends the run");
    std::string bad = "=TEST(01 00 02 FF 4008)\n=OUTPUT(after)\n";
    checkEq(run_script(h, &bad[0], out.data(), static_cast<int>(out.size()), 0), 974850,
            "a failing TEST ends the run with 974850");
    std::string missing = "=INCLUDE(" + dir + "/missing.txt)\n";
    checkEq(run_script(h, &missing[0], out.data(), static_cast<int>(out.size()), 0), 974850,
            "a missing INCLUDE file gives 974850");
    close_device(h);
}

// Board 09 whose cable is pulled on 4010 and put back after 300 ms.
void unplug() {
    change_device_pid(0x0483, 0x5740);
    Device* h = nullptr;
    if (open_device(100, &h) != 0) {
        check(false, "open_device(100)");
        return;
    }
    const int rc = send(h, 0x4010, {}, 300).rc;
    check(rc == 230 || rc == 232,
          "a pulled cable ends the exchange with 230 or 232 (" + std::to_string(rc) + ")");
    close_device(h);
    h = nullptr;
    // Wait for the board on the bus, then open it by position: open_device(100)
    // would also try COM0..COM29, and under umockdev's preload every failed open
    // below /dev costs a descriptor.
    int count = 0;
    for (int i = 0; i < 50 && count != 1; ++i) {
        usleep(100000);
        count = get_usb_device_count();
    }
    checkEq(count, 1, "the board is back on the bus");
    const int reopened = open_device(200, &h);
    checkEq(reopened, 0, "the board opens again once plugged back");
    if (reopened == 0) {
        checkEq(send(h, 0x0104).rc, 0, "and answers");
        close_device(h);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::map<std::string, std::function<void()>> scenarios = {
        {"open_selectors", openSelectors},
        {"address_probe", addressProbe},
        {"nothing", nothing},
        {"exchange_faults", exchangeFaults},
        {"frames", [&] { frames(argc > 2 ? argv[2] : ""); }},
        {"serial_faults", serialFaults},
        {"idle_read", idleRead},
        {"unplug", unplug},
        {"script", [&] { script(argc > 2 ? argv[2] : "/tmp"); }},
    };
    auto it = argc > 1 ? scenarios.find(argv[1]) : scenarios.end();
    if (it == scenarios.end()) {
        std::fprintf(stderr, "usage: link_probe SCENARIO\n");
        return 2;
    }
    it->second();
    std::fprintf(stderr, "%s: %d failed check(s)\n", argv[1], gFailures);
    return gFailures == 0 ? 0 : 1;
}
