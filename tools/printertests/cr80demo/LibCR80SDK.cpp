#include "LibCR80SDK.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

std::map<std::string, std::string> LibCR80SDK::mapFileLst;
std::map<void*, std::string> LibCR80SDK::mapLibs;

namespace {

constexpr size_t kStartDirCapacity = 261;
constexpr size_t kWorkingDirCapacity = 4096;
const char* const kAcceptedNames[] = {"KQCR80Printer.so", "QuillonPrinter.so", "T415RWPrinter.so",
                                      "MX2280Printer.so"};

// Trace lines are built as strings, so long paths are printed whole.
void trace(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A loaded library stays open until the process ends: its object is owned here and
// never destroyed, so no library is closed while its threads or exit handlers run.
std::vector<std::unique_ptr<LibCR80SDK>>& keptSdks() {
    static auto* kept = new std::vector<std::unique_ptr<LibCR80SDK>>();
    return *kept;
}

bool accepted(const char* name) {
    for (const char* a : kAcceptedNames)
        if (std::strcmp(a, name) == 0) return true;
    return false;
}

}  // namespace

LibCR80SDK::~LibCR80SDK() {
    if (libHandle) dlclose(libHandle);
}

void LibCR80SDK::clearEntryPoints() {
#define CR80_CLEAR(fn) fn = nullptr;
    CR80_ENTRY_POINTS(CR80_CLEAR)
#undef CR80_CLEAR
}

int LibCR80SDK::LoadLibCR80SDK(const char* name, const char* dir) {
    loadFinished = true;
    if (libHandle) return 0;
    trace("in LoadLibCR80SDK1");
    const std::string path = std::string(dir) + name;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        trace("in LoadLibCR80SDK2无法加载" + path);
        return -1;
    }
    libHandle = dlopen(path.c_str(), RTLD_LAZY);
    if (!libHandle) {
        const char* error = dlerror();
        trace("in LoadLibCR80SDK3无法加载函数DLL " + path + (error ? error : ""));
        return -1;
    }
    trace("in LoadLibCR80SDK4");
    // Stops at the first name that does not resolve; later names are not looked up.
#define CR80_RESOLVE(fn)                                                   \
    fn = reinterpret_cast<decltype(fn)>(dlsym(libHandle, #fn));            \
    if (!fn) {                                                             \
        trace("in LoadLibCR80SDK5无法加载函数" + std::string(#fn) + path); \
        dlclose(libHandle);                                                \
        libHandle = nullptr;                                               \
        clearEntryPoints();                                                \
        return -1;                                                         \
    }
    CR80_ENTRY_POINTS(CR80_RESOLVE)
#undef CR80_RESOLVE
    trace("in LoadLibCR80SDK6");
    return 0;
}

void vGetModuleFileName(char* out, size_t capacity) {
    char exe[kWorkingDirCapacity] = {0};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) exe[n] = 0;
    const char* slash = std::strrchr(exe, '/');
    const std::string programDir =
        slash ? std::string(exe, static_cast<size_t>(slash - exe)) : std::string();
    const std::string programName = slash ? std::string(slash + 1) : std::string(exe);
    char cwd[kWorkingDirCapacity] = {0};
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    trace(cwd);
    trace(programName);
    trace(cwd);
    for (int i = 0; i < 3; ++i) trace(programDir);
    const size_t length = std::strlen(cwd);
    if (length < capacity) {
        std::memcpy(out, cwd, length + 1);
    } else if (capacity > 0) {
        out[0] = 0;
    }
}

void findSOFiles(std::map<std::string, std::string>& files, const char* dir) {
    trace(std::string("in findSOFiles1:") + dir);
    DIR* d = opendir(dir);
    if (!d) return;
    trace(std::string("in findSOFiles2:") + dir);
    while (const dirent* entry = readdir(d)) {
        trace("in findSOFiles3");
        const std::string full = std::string(dir) + "/" + entry->d_name;
        trace("in findSOFiles3" + full);
        if (std::strstr(entry->d_name, ".so")) {
            if (files.count(entry->d_name)) continue;
            if (accepted(entry->d_name)) {
                const std::string where = std::string(dir) + "/";
                files[entry->d_name] = where;
                trace(std::string("mapFileLst 增加") + entry->d_name + " : " + where);
            }
        }
        // The type the listing reports: links and unknown types are not walked.
        if (entry->d_type == DT_DIR && std::strcmp(entry->d_name, ".") != 0 &&
            std::strcmp(entry->d_name, "..") != 0)
            findSOFiles(files, full.c_str());
    }
    closedir(d);
}

void SearchLibrary(std::map<std::string, std::string>& files, char* dir) {
    trace("in SearchLibrary");
    char start[kStartDirCapacity] = {0};
    if (dir) {
        const size_t length = strnlen(dir, kStartDirCapacity);
        if (length < kStartDirCapacity) std::memcpy(start, dir, length + 1);
    } else {
        trace("in SearchLibrary1");
        vGetModuleFileName(start, sizeof start);
        trace(std::string("in SearchLibrary2:") + start);
    }
    trace("in SearchLibrary3");
    // A start directory too long for the buffer is not searched rather than cut.
    if (start[0]) findSOFiles(files, start);
    trace("in SearchLibrary4");
}

void SingleLibLoad(const char* name, const char* dir, LibCR80SDK* sdk) {
    sdk->LoadLibCR80SDK(name, dir);
}

void AsyncLibLoad(std::map<void*, std::string>& libs, std::map<std::string, std::string>& files) {
    std::map<std::string, std::unique_ptr<LibCR80SDK>> loaded;
    for (const auto& [name, dir] : files) {
        trace("AsyncLibLoad" + name + ":" + dir);
        auto sdk = std::make_unique<LibCR80SDK>();
        std::thread worker(SingleLibLoad, name.c_str(), dir.c_str(), sdk.get());
        worker.join();
        loaded[name] = std::move(sdk);
    }
    for (auto& [name, sdk] : loaded) {
        while (!sdk->loadFinished) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (sdk->libHandle) {
            libs[sdk.get()] = name;
            keptSdks().push_back(std::move(sdk));
        }
    }
}

void libC80_loadLibrary(char* dir) {
    if (!LibCR80SDK::mapFileLst.empty()) return;
    trace("in libC80_loadLibrary2");
    SearchLibrary(LibCR80SDK::mapFileLst, dir);
    trace("in libC80_loadLibrary3[]" + std::to_string(LibCR80SDK::mapFileLst.size()));
    AsyncLibLoad(LibCR80SDK::mapLibs, LibCR80SDK::mapFileLst);
    trace("in libC80_loadLibrary4");
}

LibCR80SDK* firstSdk() {
    if (LibCR80SDK::mapLibs.empty()) return nullptr;
    return static_cast<LibCR80SDK*>(LibCR80SDK::mapLibs.begin()->first);
}
