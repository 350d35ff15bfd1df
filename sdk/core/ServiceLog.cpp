#include "core/ServiceLog.h"

#include <sys/stat.h>

#include <cstdio>
#include <log4cpp/Category.hh>
#include <log4cpp/PatternLayout.hh>
#include <log4cpp/RollingFileAppender.hh>
#include <map>
#include <mutex>
#include <vector>

#include "core/Process.h"

namespace {

constexpr size_t kMaxFileSize = 1048576;
constexpr unsigned int kBackups = 20;
constexpr mode_t kFileMode = 0644;
const char* const kPattern = "%d: %p %c %x: %m%n";
const char* const kServiceCategory = "RollingFile";
const char* const kDefaultSubdir = "kqlogs/kq_server_logs/";
const char* const kWorkingDirEntry = "\\home\\kqlogs\\kq_server_logs\\";

// An appender whose file has been chosen but not yet attached. The service
// log is chosen during static registration, possibly before the logging
// library's own statics exist, so appenders are attached on the first record.
struct PendingLog {
    std::string appenderName;
    std::string category;
    std::string path;
};

std::mutex& logMutex() {
    static std::mutex m;
    return m;
}

std::vector<PendingLog>& pendingLogs() {
    static std::vector<PendingLog> pending;
    return pending;
}

// Names whose file writeLog has already asked for; only grows.
std::map<std::string, std::string>& Logs_defualt() {
    static std::map<std::string, std::string> names;
    return names;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void attachPending() {
    for (const PendingLog& log : pendingLogs()) {
        auto* appender = new log4cpp::RollingFileAppender(log.appenderName, log.path, kMaxFileSize,
                                                          kBackups, true, kFileMode);
        auto* layout = new log4cpp::PatternLayout();
        layout->setConversionPattern(kPattern);
        appender->setLayout(layout);
        log4cpp::Category& category = log4cpp::Category::getInstance(log.category);
        category.addAppender(appender);
        category.setPriority(log4cpp::Priority::DEBUG);
    }
    pendingLogs().clear();
}

void chooseLogFile(const char* name, const char* directory, const std::string& category) {
    std::string prefix = directory ? directory : "";
    if (prefix.empty()) {
        std::string defaultDir = std::string(_DllDir) + "/" + kDefaultSubdir;
        if (isDirectory(defaultDir)) {
            prefix = defaultDir;
        } else if (exists(kWorkingDirEntry)) {
            prefix = kWorkingDirEntry;
        } else {
            return;
        }
    }
    std::string appenderName = name ? name : "";
    std::string path =
        prefix + (appenderName.empty() ? std::string(_FileName) : appenderName) + ".log";
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    std::lock_guard<std::mutex> lock(logMutex());
    pendingLogs().push_back({appenderName, category, path});
}

}  // namespace

void initLogs(const char* name, const char* directory) {
    chooseLogFile(name, directory, kServiceCategory);
}

void initLogs2(const char* name, const char* directory) {
    chooseLogFile(name, directory, name ? name : "");
}

void writeLog(std::string message, std::string /*level*/, std::string logName,
              std::string directory) {
    std::string category = logName.empty() ? kServiceCategory : logName;
    if (!logName.empty()) {
        bool first;
        {
            std::lock_guard<std::mutex> lock(logMutex());
            first = Logs_defualt().emplace(logName, logName).second;
        }
        if (first) initLogs2(logName.c_str(), directory.c_str());
    }
    std::lock_guard<std::mutex> lock(logMutex());
    attachPending();
    // The service category is looked up once; records below its priority
    // (no file attached) cost no formatting.
    static log4cpp::Category& service = log4cpp::Category::getInstance(kServiceCategory);
    log4cpp::Category& target =
        logName.empty() ? service : log4cpp::Category::getInstance(category);
    if (target.isDebugEnabled()) target.debug(message);
}
