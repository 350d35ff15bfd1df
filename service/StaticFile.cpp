#include "StaticFile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// The path with every symbolic link resolved; empty when it does not exist.
std::string Resolve(const std::string& path) {
    std::unique_ptr<char, FreeDeleter> resolved(realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : std::string();
}

bool Inside(const std::string& root, const std::string& path) {
    if (path.compare(0, root.size(), root) != 0) return false;
    return path.size() == root.size() || root == "/" || path[root.size()] == '/';
}

const char* TypeOf(const std::string& path) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {".html", "text/html"},        {".htm", "text/html"},
        {".css", "text/css"},          {".js", "application/javascript"},
        {".json", "application/json"}, {".txt", "text/plain"},
        {".png", "image/png"},         {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},       {".gif", "image/gif"},
        {".svg", "image/svg+xml"},     {".ico", "image/x-icon"},
        {".woff", "font/woff"},        {".woff2", "font/woff2"},
        {".wasm", "application/wasm"}, {".map", "application/json"},
    };
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return "application/octet-stream";
    }
    for (const auto& entry : kTypes) {
        if (strcasecmp(path.c_str() + dot, entry.extension) == 0) return entry.type;
    }
    return "application/octet-stream";
}

}  // namespace

StaticFile::~StaticFile() {
    Close();
}

void StaticFile::Close() {
    if (mFd >= 0) ::close(mFd);
    mFd = -1;
    mLeft = 0;
}

int StaticFile::OpenResolved(const std::string& root, const std::string& candidate) {
    const std::string resolved = Resolve(candidate);
    if (resolved.empty()) return 404;
    if (!Inside(root, resolved)) return 403;
    // The resolved path holds no links; one swapped in since is not followed.
    const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return 404;
    struct stat info;
    const bool known = fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return known && S_ISDIR(info.st_mode) ? 403 : 404;
    }
    mFd = fd;
    mSize = mLeft = static_cast<uint64_t>(info.st_size);
    mContentType = TypeOf(resolved);
    return 200;
}

int StaticFile::Open(const std::string& documentRoot, const std::string& path) {
    Close();
    mFailed = false;
    const std::string root = Resolve(documentRoot);
    if (root.empty()) return 404;
    const std::string candidate = root + path;
    const std::string resolved = Resolve(candidate);
    if (resolved.empty()) return 404;
    if (!Inside(root, resolved)) return 403;
    struct stat info;
    if (stat(resolved.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        // No listing: a folder is served only through its index page.
        const int status = OpenResolved(root, resolved + "/index.html");
        return status == 200 ? 200 : 403;
    }
    return OpenResolved(root, candidate);
}

std::string StaticFile::ReadChunk(size_t capacity) {
    if (mFd < 0 || mLeft == 0) return {};
    std::string chunk(static_cast<size_t>(std::min<uint64_t>(capacity, mLeft)), '\0');
    const ssize_t got = ::read(mFd, &chunk[0], chunk.size());
    if (got <= 0) {
        mFailed = true;
        Close();
        return {};
    }
    chunk.resize(static_cast<size_t>(got));
    mLeft -= static_cast<uint64_t>(got);
    return chunk;
}
