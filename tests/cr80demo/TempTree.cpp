#include "TempTree.h"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace cr80test {

namespace {
int removeEntry(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path);
}
}  // namespace

TempTree::TempTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/cr80test-XXXXXX";
    if (mkdtemp(templ.data())) root_ = templ;
}

TempTree::~TempTree() {
    if (!root_.empty()) nftw(root_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string TempTree::dir(const std::string& relative) const {
    std::string path = root_;
    std::stringstream parts(relative);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty()) continue;
        path += "/" + part;
        mkdir(path.c_str(), 0755);
    }
    return path;
}

std::string TempTree::copy(const std::string& from, const std::string& relative) const {
    return write(relative, readFile(from));
}

std::string TempTree::write(const std::string& relative, const std::string& content) const {
    const size_t slash = relative.rfind('/');
    if (slash != std::string::npos) dir(relative.substr(0, slash));
    const std::string path = root_ + "/" + relative;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace cr80test
