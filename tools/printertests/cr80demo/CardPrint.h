#pragma once
// Prints one card from a JSON print request through the first loaded CR80 SDK.
#include <json/json.h>

// Writes the result document (at most 1,024 bytes) into result and returns its code.
int libDrawCR80Image(const char* printer, const char* request, char* result);
// Sets the font and draws the address, the authority and the date shifted by (dx, dy).
int DrawContents(const char* printer, Json::Value& cardData, double dx, double dy);
// Splits text in two lines of display width: an ASCII character counts 0.5, any other
// character (or a stray continuation byte) 1; line1 takes characters while the total
// stays at most maxWidth - 1. line1 and line2 must each hold strlen(text) + 1 bytes.
void DrawAddrLen(int maxWidth, const char* text, char* line1, char* line2);
