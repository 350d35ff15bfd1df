// The result-code reference page, written from a code table.
#pragma once

#include <map>
#include <string>

// The whole Markdown page: a short introduction and one table row per code, in
// ascending code order.
std::string CodeTableDocument(const std::map<int, std::string>& table);
