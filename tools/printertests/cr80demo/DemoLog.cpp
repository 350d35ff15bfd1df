#include "DemoLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <log4cpp/Category.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/RollingFileAppender.hh>
#include <map>

char _cAppPath[kPathCapacity];
char _cDllPath[kPathCapacity];
char _AppDir[kPathCapacity];
char _DllDir[kPathCapacity];
char _FileName[kFileNameCapacity];

namespace {

bool ApplicationTerminated = true;
bool initLoged = false;
std::map<std::string, std::string> Logs_defualt;

const char* const kServiceCategory = "RollingFile";
const char* const kDefaultSubdir = "/kqlogs/kq_server_logs/";
const char* const kWorkingDirEntry = "\\home\\kqlogs\\kq_server_logs\\";

bool exists(const std::string& path, bool directory) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (!directory || S_ISDIR(st.st_mode));
}

void copyBounded(char* out, size_t capacity, const char* text, size_t length) {
    const size_t n = length < capacity ? length : capacity - 1;
    std::memcpy(out, text, n);
    out[n] = 0;
}

// Attaches a rolling file to `category`; false when no log directory exists.
bool openLog(const char* name, const char* directory, const std::string& category) {
    std::string prefix = directory ? directory : "";
    if (prefix.empty()) {
        const std::string defaultDir = std::string(_DllDir) + kDefaultSubdir;
        if (exists(defaultDir, true)) {
            prefix = defaultDir;
        } else if (exists(kWorkingDirEntry, false)) {
            prefix = kWorkingDirEntry;
        } else {
            return false;
        }
    }
    const std::string appenderName = name ? name : "";
    const std::string path =
        prefix + (appenderName.empty() ? std::string(_FileName) : appenderName) + ".log";
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    auto* appender = new log4cpp::RollingFileAppender(appenderName, path, 1048576, 20, true, 0644);
    auto* layout = new log4cpp::PatternLayout();
    layout->setConversionPattern("%d: %p %c %x: %m%n");
    appender->setLayout(layout);  // the appender owns its layout
    log4cpp::Category& c = log4cpp::Category::getInstance(category);
    c.addAppender(appender);  // and the category its appender
    c.setPriority(log4cpp::Priority::DEBUG);
    return true;
}

}  // namespace

void initSys() {
    if (!ApplicationTerminated) return;
    ApplicationTerminated = false;
    char exe[kPathCapacity] = {0};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    exe[n] = 0;
    const char* slash = std::strrchr(exe, '/');
    if (!slash) return;
    copyBounded(_FileName, sizeof _FileName, slash + 1, std::strlen(slash + 1));
    const size_t dirLength = static_cast<size_t>(slash - exe);
    for (char* target : {_cAppPath, _cDllPath, _AppDir, _DllDir})
        copyBounded(target, kPathCapacity, exe, dirLength);
}

void finalSys() {
    if (ApplicationTerminated) return;
    ApplicationTerminated = true;
    ReleaseLibrary();
}

void ReleaseLibrary() {}

void initLogs(const char* name, const char* directory) {
    if (initLoged) return;
    if (_DllDir[0] == 0) initSys();
    initLoged = openLog(name, directory, kServiceCategory);
}

void initLogs2(const char* name, const char* directory) {
    openLog(name, directory, name ? name : "");
}

void writeLog(std::string message, std::string, std::string logName, std::string directory) {
    std::printf("%s\n", message.c_str());
    std::fflush(stdout);
    initSys();
    initLogs("", "");
    std::string category = kServiceCategory;
    if (!logName.empty()) {
        category = logName;
        if (Logs_defualt.emplace(logName, logName).second)
            initLogs2(logName.c_str(), directory.c_str());
    }
    log4cpp::Category::getInstance(category).debug(message);
}
