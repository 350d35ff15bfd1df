#include "IniFile.h"

#include <cstring>
#include <fstream>
#include <sstream>

void writeIni(std::string path, IniSections& sections) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return;
    for (const auto& section : sections) {
        file << '[' << section.first << "]\n";
        for (const auto& entry : section.second) file << entry.first << '=' << entry.second << '\n';
    }
}

IniFile::IniFile(const char* path) {
    if (path) std::strncpy(mPath, path, sizeof mPath - 1);
    load();
}

void IniFile::load() {
    std::ifstream file(mPath, std::ios::binary);
    if (!file) return;
    std::string section;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            mSections[section];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            mSections[section][line] = line;
        } else {
            mSections[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
}

void IniFile::ReadString(const char* section, const char* key, const char* fallback, char* out,
                         unsigned long) {
    if (!out) return;
    std::strcpy(out, fallback ? fallback : "");
    if (!section || !key) return;
    const auto s = mSections.find(section);
    if (s == mSections.end()) return;
    const auto k = s->second.find(key);
    if (k == s->second.end()) return;
    std::strcpy(out, k->second.c_str());
}

int IniFile::ReadInt(const char* section, const char* key, int fallback) {
    if (!section || !key) return fallback;
    const auto s = mSections.find(section);
    if (s == mSections.end()) return fallback;
    const auto k = s->second.find(key);
    if (k == s->second.end()) return fallback;
    return std::stoi(k->second);
}

void IniFile::WriteString(const char* section, const char* key, const char* value) {
    if (!section || !key) return;
    mSections[section][key] = value ? value : "";
    save();
}

void IniFile::WriteInt(const char* section, const char* key, int value) {
    WriteString(section, key, std::to_string(value).c_str());
}

void IniFile::DeleteSection(const char* section) {
    if (section) mSections.erase(section);
    save();
}

void IniFile::DeleteAllSection() {
    mSections.clear();
    save();
}
