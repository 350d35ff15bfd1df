#pragma once
// Finds CR80 printer SDK libraries below a directory, opens them and resolves their
// 70 entry points. Every step writes a trace line on standard output.
#include <map>
#include <string>

#include "Cr80EntryPoints.h"
#include "KQCR80Printer.h"

// One SDK library and its entry points.
class LibCR80SDK {
  public:
    LibCR80SDK() = default;
    ~LibCR80SDK();
    LibCR80SDK(const LibCR80SDK&) = delete;
    LibCR80SDK& operator=(const LibCR80SDK&) = delete;

    // Opens dir + name and resolves every entry point: 0, or -1 on any failure
    // (the library is closed again). 0 at once when already loaded.
    int LoadLibCR80SDK(const char* name, const char* dir);

    void* libHandle = nullptr;
    bool loadFinished = false;
#define CR80_FIELD(name) decltype(&::name) name = nullptr;
    CR80_ENTRY_POINTS(CR80_FIELD)
#undef CR80_FIELD

    // File name -> directory (ending in "/") of every accepted file found.
    static std::map<std::string, std::string> mapFileLst;
    // The objects whose load succeeded -> their file name. Never emptied.
    static std::map<void*, std::string> mapLibs;

  private:
    void clearEntryPoints();
};

// Searches dir (the working directory when null) once per process and loads what
// it finds into LibCR80SDK::mapLibs.
void libC80_loadLibrary(char* dir);
void SearchLibrary(std::map<std::string, std::string>& files, char* dir);
// Depth first, in directory order; symbolic links are not followed. The first file
// of a name met wins.
void findSOFiles(std::map<std::string, std::string>& files, const char* dir);
// Loads every file on a worker thread of its own, one after the other.
void AsyncLibLoad(std::map<void*, std::string>& libs, std::map<std::string, std::string>& files);
void SingleLibLoad(const char* name, const char* dir, LibCR80SDK* sdk);
// Writes the working directory into out when it fits capacity, else an empty text.
void vGetModuleFileName(char* out, size_t capacity);

// The first loaded SDK, or null.
LibCR80SDK* firstSdk();
