#include "core/Process.h"

#include <unistd.h>

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "core/ServiceLog.h"

char _cAppPath[kPathCapacity] = {};
char _cDllPath[kPathCapacity] = {};
char _AppDir[kPathCapacity] = {};
char _DllDir[kPathCapacity] = {};
char _FileName[kFileNameCapacity] = {};

namespace {

bool ApplicationTerminated = true;

// Copies text into a fixed array, cut to fit with its NUL.
template <size_t N>
void copyBounded(char (&dest)[N], const std::string& text) {
    size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(dest, text.data(), n);
    dest[n] = '\0';
}

}  // namespace

void ReleaseLibrary() {}

void finalization() {
    if (!ApplicationTerminated) {
        ApplicationTerminated = true;
        ReleaseLibrary();
    }
}

void initialization() {
    if (!ApplicationTerminated) return;
    ApplicationTerminated = false;

    char link[kPathCapacity] = {};
    ssize_t n = readlink("/proc/self/exe", link, sizeof(link) - 1);
    if (n > 0) {
        std::string path(link, static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
        copyBounded(_FileName, slash == std::string::npos ? path : path.substr(slash + 1));
        copyBounded(_cAppPath, dir);
        copyBounded(_cDllPath, dir);
        copyBounded(_AppDir, dir);
        copyBounded(_DllDir, dir);
    }

    std::string report = std::string("\r\n DLL:") + _cDllPath + "\r\n EXE:" + _cAppPath +
                         "\r\n ExeDic:" + _AppDir + "\r\n DllDic:" + _DllDir;
    writeLog("initialization", "DEBUG", "", "");
    writeLog(report, "DEBUG", "", "");
}

int convertString2json(const char* text, Json::Value& value) {
    if (text == nullptr) return -1;
    // One reader of default settings per thread: building one costs more
    // than parsing a typical argument document.
    thread_local std::unique_ptr<Json::CharReader> reader(
        Json::CharReaderBuilder().newCharReader());
    std::string errors;
    size_t length = std::strlen(text);
    // The reader throws on a document nested deeper than its limit: that is
    // a text it cannot parse like any other.
    try {
        bool ok = reader->parse(text, text + length, &value, &errors);
        return ok && errors.empty() ? 0 : -1;
    } catch (const std::exception&) {
        value = Json::Value();
        return -1;
    }
}
