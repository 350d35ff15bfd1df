// Process initialisation: where the running program lives, and the start-up records.
#pragma once

#include <json/json.h>

constexpr int kPathCapacity = 1024;
constexpr int kFileNameCapacity = 100;

extern char _cAppPath[kPathCapacity];
extern char _cDllPath[kPathCapacity];
extern char _AppDir[kPathCapacity];
extern char _DllDir[kPathCapacity];
extern char _FileName[kFileNameCapacity];

void initialization();
void finalization();
void ReleaseLibrary();

// 0 when text parses without any error, else -1.
int convertString2json(const char* text, Json::Value& value);
