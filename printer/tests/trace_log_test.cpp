// The per-port trace file: written only while its folder exists, one line per event.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Device.h"
#include "FakePort.h"

namespace {
std::string traceText(const std::string& dir, int* files) {
    std::string text;
    *files = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("1_kqdev_", 0) != 0) continue;
            ++*files;
            std::ifstream in(dir + name, std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            text += s.str();
            std::remove((dir + name).c_str());
        }
        closedir(d);
    }
    return text;
}
}  // namespace

TEST(EcpTraceLog, LinesOnlyWhileTheFolderExists) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/trace-XXXXXX";
    const std::string dir = std::string(mkdtemp(templ.data())) + "/";
    const std::string before = Device::traceDirectory();
    Device::setTraceDirectory(dir);
    {
        ecptest::FakePort port;
        unsigned char payload[] = {0x55};
        ASSERT_EQ(0, port.WriteBuffer(payload, 1));
        unsigned char out[64];
        int len = 0;
        port.ReadBuffer(out, &len, 1);
    }
    int files = 0;
    const std::string text = traceText(dir, &files);
    EXPECT_EQ(1, files) << "one file per port object";
    // Digits of the time stamp and interval vary; compare their shape.
    auto shape = [](std::string t) {
        for (char& c : t) {
            if (c >= '0' && c <= '9') c = '9';
        }
        return t;
    };
    const std::string stampShape = "(9999-99-99 99:99:99 999)";
    const std::string first = "\r\n[S RAW]:";
    ASSERT_EQ(0u, text.find(first)) << text;
    EXPECT_EQ(stampShape, shape(text.substr(first.size(), stampShape.size())));
    const std::string data =
        "((间隔????? MS):数据长度 15: D1 10 02 01 00 00 00 55 00 00 00 10 03 23 F8 \r\n";
    EXPECT_EQ(data, text.substr(first.size() + stampShape.size(), data.size()));

    const std::string read = "[  R  ]:";
    const size_t at = text.find(read);
    ASSERT_NE(std::string::npos, at) << text;
    const std::string rest = text.substr(at + read.size() + stampShape.size());
    const std::string line = rest.substr(0, rest.find('\n') + 1);
    EXPECT_EQ("(间隔99999 MS):出错 libusb 返回ret = -9\r\n", shape(line));
    EXPECT_NE(std::string::npos, line.find("ret = -7")) << "the timeout code";

    // Without the folder nothing is written and nothing is created.
    rmdir(dir.c_str());
    {
        ecptest::FakePort port;
        unsigned char payload[] = {0x55};
        port.WriteBuffer(payload, 1);
    }
    EXPECT_NE(0, access(dir.c_str(), F_OK));
    Device::setTraceDirectory(before);
}
