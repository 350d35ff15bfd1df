// Settings files of any content: the store holds exactly what the file format
// says (sections, comments, entries with and without "="), reads back every value
// into a buffer of its own size, and a rewritten file loads as the same store.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "IniFile.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The file lives in memory; the store opens it by its /proc path.
const std::string& filePath() {
    static const std::string path = [] {
        const int fd = memfd_create("ini", 0);
        check(fd >= 0);
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void setFile(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(filePath().c_str(), "wb");
    check(file != nullptr);
    check(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
}

// The store the file format describes, built independently of IniFile.
IniSections expectedSections(const std::string& text) {
    IniSections sections;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(
                1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1);
            sections[section];
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            sections[section][line] = line;
        } else {
            sections[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setFile(data, size);
    IniFile ini(filePath().c_str());
    const std::string text(reinterpret_cast<const char*>(data), size);
    check(ini.sections() == expectedSections(text));

    for (const auto& section : ini.sections()) {
        // Names holding a NUL cannot be asked for through the C strings.
        if (section.first.find('\0') != std::string::npos) continue;
        for (const auto& entry : section.second) {
            if (entry.first.find('\0') != std::string::npos) continue;
            const std::string& value = entry.second;
            const size_t shown = strnlen(value.c_str(), value.size());
            std::vector<char> out(shown + 1, 'x');
            ini.ReadString(section.first.c_str(), entry.first.c_str(), "", out.data(), out.size());
            check(std::strcmp(out.data(), value.c_str()) == 0);
            try {
                ini.ReadInt(section.first.c_str(), entry.first.c_str(), 0);
            } catch (const std::invalid_argument&) {
            } catch (const std::out_of_range&) {
            }
        }
    }
    std::vector<char> fallback(8, 'x');
    ini.ReadString("no such section\n", "k", "fb", fallback.data(), fallback.size());
    check(std::strcmp(fallback.data(), "fb") == 0);
    check(ini.ReadInt("no such section\n", "k", 42) == 42);

    // A file the store writes loads back as the same store.
    IniSections written = ini.sections();
    writeIni(filePath(), written);
    IniFile reloaded(filePath().c_str());
    check(reloaded.sections() == written);

    // A change rewrites the file with it, and everything else kept.
    reloaded.WriteString("fuzz", "key", "value");
    written["fuzz"]["key"] = "value";
    check(IniFile(filePath().c_str()).sections() == written);
    if (!written.empty()) {
        const std::string first = written.begin()->first;
        if (first.find('\0') == std::string::npos) {
            reloaded.DeleteSection(first.c_str());
            written.erase(first);
            check(IniFile(filePath().c_str()).sections() == written);
        }
    }
    return 0;
}
