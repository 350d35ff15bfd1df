// A sectioned key=value settings file, loaded once and rewritten whole after every change.
#pragma once

#include <map>
#include <string>

using IniSections = std::map<std::string, std::map<std::string, std::string>>;

// Writes every section in name order, each "[name]" then its "key=value" lines.
void writeIni(std::string path, IniSections& sections);

class IniFile {
  public:
    explicit IniFile(const char* path);

    // `out` must hold the longer of `fallback` and the stored value; `size` is not used.
    void ReadString(const char* section, const char* key, const char* fallback, char* out,
                    unsigned long size);
    // Throws std::invalid_argument or std::out_of_range for a value that is not an int.
    int ReadInt(const char* section, const char* key, int fallback);
    void WriteString(const char* section, const char* key, const char* value);
    void WriteInt(const char* section, const char* key, int value);
    void DeleteSection(const char* section);
    void DeleteAllSection();

    const IniSections& sections() const { return mSections; }

  private:
    void load();
    void save() { writeIni(mPath, mSections); }

    char mPath[256] = {};
    IniSections mSections;
};
