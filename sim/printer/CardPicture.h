#pragma once
// Printed cards as picture files a person can open: binary PBM, 672 x 944 dots,
// named by time and printer identity.
#include <string>

#include "core/Hex.h"

namespace ksim::printer {

// Writes `image` (944 rows of 84 bytes) into `dir`; returns the file path, or empty
// with `error` set.
std::string saveCardPicture(const std::string& dir, const std::string& identity, const Bytes& image,
                            std::string* error);

}  // namespace ksim::printer
