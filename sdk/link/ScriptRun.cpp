#include "link/ScriptRun.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/LoggerText.h"
#include "link/LinkCodes.h"
#include "link/ScriptPause.h"
#include "link/SerialPort.h"

namespace {

using devlink::kScriptError;
using devlink::Statement;

constexpr int kExchangeTimeoutMs = 2000;
constexpr int kMaxRequestBytes = 1024;
constexpr int kMaxReplyHexBytes = 512;
constexpr int kDelayStepMs = 50;
constexpr int kTestPauseMs = 200;
constexpr unsigned short kClearCommand = 0x0302;
constexpr int kMaxNesting = 16;  // INCLUDE and SUBDEV depth; a file including itself ends here

bool fileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool hasDriveColon(const std::string& text, size_t at) {
    return text.size() > at && text[at] == ':';
}

// The field [start, start+width) of args; false when it starts beyond the end.
// A field cut short by the end is read as far as it goes.
bool field(const std::string& args, size_t start, size_t width, std::string& out) {
    if (start > args.size()) return false;
    out = args.substr(start, width);
    return true;
}

// A hex field; a sign in front makes it malformed.
bool hexField(const std::string& args, size_t start, size_t width, long& value) {
    std::string text;
    if (!field(args, start, width, text)) return false;
    value = std::strtol(text.c_str(), nullptr, 16);
    return value >= 0;
}

std::string removeChar(const std::string& text, char c) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch != c) out += ch;
    }
    return out;
}

}  // namespace

ScriptRun::Reply ScriptRun::exchange(int cmdCode, const unsigned char* data, int len) {
    Reply reply;
    char replyData[3499];
    int replyLen = 0;
    reply.result = mDevice.SendCommandAndWaitRec(
        mPackage, static_cast<short>(cmdCode), 0,
        reinterpret_cast<char*>(const_cast<unsigned char*>(data)), len, nullptr, &reply.state,
        replyData, &replyLen, kExchangeTimeoutMs);
    ++mPackage;
    if (reply.result == 0) {
        const int shown = std::min(replyLen, kMaxReplyHexBytes);
        char hex[kMaxReplyHexBytes * 2 + 1];
        convert_bytes_2_hexstr(replyData, shown, hex, kMaxReplyHexBytes * 2);
        reply.hex = hex;
    }
    return reply;
}

// IF and the comparing TEST attempt: OO LL EXPECTED CMD DATA.
bool ScriptRun::runCompare(const Statement& st, std::string& transcript, bool& outcome) {
    outcome = false;
    long offset = 0;
    long length = 0;
    std::string expected;
    long cmd = 0;
    const bool isTest = st.keyword.compare(0, 4, "TEST") == 0;
    const size_t base = isTest ? 2 : 0;
    if (!hexField(st.args, base, 2, offset) || !hexField(st.args, base + 2, 2, length) ||
        !field(st.args, base + 4, length, expected) ||
        !hexField(st.args, base + 4 + length, 4, cmd)) {
        return fail(kScriptError);
    }
    std::string dataHex;
    if (!field(st.args, base + 8 + length, std::string::npos, dataHex) || dataHex.size() % 2 != 0) {
        return fail(kScriptError);
    }
    unsigned char data[kMaxRequestBytes];
    const int len = convert_hexstr_bytes(dataHex, reinterpret_cast<char*>(data), kMaxRequestBytes);
    const Reply reply = exchange(static_cast<int>(cmd), data, len);
    if (reply.result != 0) return true;
    mDevice.mVariables[st.name] = reply.hex;
    if (reply.hex.size() < static_cast<size_t>(offset + length)) {
        transcript += "<<" + reply.hex + ", CMP:''=" + expected + "\n";
        return true;
    }
    const std::string part = reply.hex.substr(offset, length);
    transcript += "<<" + reply.hex + ", CMP:" + part + "=" + expected + "\n";
    outcome = part == expected;
    return true;
}

bool ScriptRun::runTest(const Statement& st, std::string& transcript) {
    long cycles = 0;
    long wanted = 0;
    if (!hexField(st.args, 0, 2, cycles) || !hexField(st.args, 2, 2, wanted)) {
        return fail(kScriptError);
    }
    const bool byState = st.keyword.compare(0, 11, "TEST_RESULT") == 0;
    long cmd = 0;
    std::string dataHex;
    if (byState) {
        long length = 0;
        std::string expected;
        if (!hexField(st.args, 4, 2, length) || !field(st.args, 6, length, expected) ||
            !hexField(st.args, 4, 4, cmd)) {
            return fail(kScriptError);
        }
        if (!field(st.args, 10, std::string::npos, dataHex) || dataHex.size() % 2 != 0) {
            return fail(kScriptError);
        }
    }
    const long attempts = 4 + 5 * (std::max(cycles, 1L) - 1);
    for (long attempt = 0; attempt < attempts; ++attempt) {
        bool passed = false;
        if (byState) {
            unsigned char data[kMaxRequestBytes];
            const int len =
                convert_hexstr_bytes(dataHex, reinterpret_cast<char*>(data), kMaxRequestBytes);
            const Reply reply = exchange(static_cast<int>(cmd), data, len);
            if (reply.result == 0) {
                mDevice.mVariables[st.name] = reply.hex;
                passed = reply.state == wanted;
            }
        } else if (!runCompare(st, transcript, passed)) {
            return false;
        }
        if (passed) return true;
        devlink::scriptPause(kTestPauseMs);
    }
    if (st.keyword.find("CLEAR") != std::string::npos) exchange(kClearCommand, nullptr, 0);
    if (st.keyword.find("CONTINUE") != std::string::npos) return true;
    return fail(kScriptError);
}

bool ScriptRun::runNested(Device& target, const std::string& text) {
    if (target.mScriptDepth >= kMaxNesting) return fail(kScriptError);
    std::string script = text;
    ++target.mScriptDepth;
    const int result = target.RunScript(mPackage, &script[0], mOut, mRoom, mReserved);
    --target.mScriptDepth;
    if (result != 0) return fail(kScriptError);
    ++mPackage;
    // The nested transcript stays; this run's lines follow it.
    if (mOut != nullptr && mRoom > 0) {
        const int written = static_cast<int>(strnlen(mOut, mRoom - 1));
        mOut += written;
        mRoom -= written;
    }
    return true;
}

bool ScriptRun::runInclude(const Statement& st) {
    const std::string checked = hasDriveColon(st.args, 1) ? st.args : mDevice.mScriptPath + st.args;
    if (!fileExists(checked)) return fail(kScriptError);
    return runNested(mDevice, mDevice.LoadScriptFromFile(st.args));
}

bool ScriptRun::runCreateSubDevice(const Statement& st) {
    long kind = 0;
    long number = 0;
    long low = 0;
    long high = 0;
    if (!hexField(st.args, 0, 2, kind) || !hexField(st.args, 2, 2, number) ||
        !hexField(st.args, 10, 4, low) || !hexField(st.args, 14, 4, high)) {
        return fail(kScriptError);
    }
    const uint8_t key = static_cast<uint8_t>(number);
    auto& subs = mDevice.mSubDevices;
    if (kind == 0 && subs.find(key) == subs.end() && number < 100) {
        if (auto port = Device::CreateUsartPortInstance(static_cast<int>(number),
                                                        static_cast<int>(high * 65536 + low))) {
            subs[key] = std::move(port);
        }
    }
    if (subs.find(key) == subs.end()) return fail(kScriptError);
    return true;
}

bool ScriptRun::runSubDevice(const Statement& st) {
    long number = 0;
    if (st.args.size() > 2 && st.args[2] == ',') {
        number = std::strtol(st.args.substr(0, 2).c_str(), nullptr, 16);
    }
    std::string file;
    if (!field(st.args, 3, std::string::npos, file)) return fail(kScriptError);
    const std::string checked = hasDriveColon(st.args, 4) ? file : mDevice.mScriptPath + file;
    auto sub = mDevice.mSubDevices.find(static_cast<uint8_t>(number));
    if (!fileExists(checked) || sub == mDevice.mSubDevices.end()) return fail(kScriptError);
    return runNested(*sub->second, mDevice.LoadScriptFromFile(checked));
}

bool ScriptRun::execute(const Statement& st, std::string& transcript) {
    const std::string& kw = st.keyword;
    if (kw == "DELAY") {
        const long ms = std::strtol(st.args.c_str(), nullptr, 10);
        for (long slept = 0; slept < ms; slept += kDelayStepMs) devlink::scriptPause(kDelayStepMs);
    } else if (kw == "SCRIPTPATH") {
        if (hasDriveColon(st.args, 1)) mDevice.mScriptPath = st.args;
    } else if (kw == "INCLUDE") {
        return runInclude(st);
    } else if (kw == "CREATESUBDEV") {
        return runCreateSubDevice(st);
    } else if (kw == "SUBDEV") {
        return runSubDevice(st);
    } else if (kw == "EXIST") {
        return fail(static_cast<int>(std::strtol(st.args.c_str(), nullptr, 10)));
    } else if (kw == "SET") {
        mDevice.mVariables[st.name] = st.args;
    } else if (kw == "SEND" || kw == "S") {
        std::string cmdHex;
        std::string dataHex;
        // A command code cut short by the end of ARGS leaves no place for the data: malformed.
        if (!field(st.args, 0, 4, cmdHex) || !field(st.args, 4, std::string::npos, dataHex)) {
            return fail(kScriptError);
        }
        const long cmd = std::strtol(cmdHex.c_str(), nullptr, 16);
        unsigned char data[kMaxRequestBytes];
        const int len =
            convert_hexstr_bytes(dataHex.c_str(), reinterpret_cast<char*>(data), kMaxRequestBytes);
        const Reply reply = exchange(static_cast<int>(cmd), data, len);
        if (reply.result != 0) return fail(reply.result);
        mDevice.mVariables[st.name] = reply.hex;
        transcript += "<<" + reply.hex + "\n";
    } else if (kw == "IF") {
        bool outcome = false;
        if (!runCompare(st, transcript, outcome)) return false;
        mInBlock = true;
        mTake = outcome;
    } else if (kw.compare(0, 4, "TEST") == 0) {
        return runTest(st, transcript);
    }
    return true;
}

int ScriptRun::run(const char* script) {
    if (mOut != nullptr && mRoom > 0) *mOut = '\0';
    if (script == nullptr) return kScriptError;
    std::string text = removeChar(script, '\r');
    if (text.empty()) return kScriptError;
    text += '\n';
    int pos = 0;
    while (pos < static_cast<int>(text.size())) {
        const std::string line = removeChar(ReadLine(text, &pos), ' ');
        if (line.size() < 4 || line[0] == '#') continue;
        Statement st;
        if (!devlink::parseStatement(line, st)) return kScriptError;
        st.name = devlink::upperText(st.name);
        st.keyword = devlink::upperText(st.keyword);
        if (!devlink::substituteVariables(st.args, mDevice.mVariables)) return kScriptError;
        if (mInBlock) {
            if (st.keyword == "ENDIF") {
                mInBlock = false;
            } else if (st.keyword == "ELSE") {
                mTake = !mTake;
            } else if (!mTake) {
                continue;
            }
        }
        std::string transcript = ">>" + st.keyword + "(" + st.args + ")\n";
        if (!execute(st, transcript)) return mResult;
        output_script_log(transcript, mOut, mRoom);
    }
    return 0;
}

int Device::RunScript(short packageNum, char* script, char* out, int outSize, int reserved) {
    ScriptRun run(*this, packageNum, out, outSize, reserved);
    return run.run(script);
}

std::string Device::LoadScriptFromFile(std::string name) {
    const std::string path =
        mScriptPath.size() > 2 && !hasDriveColon(name, 1) ? mScriptPath + "\\" + name : name;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
