#pragma once
// The font file the drawing library gets: the caller's when it exists, otherwise a
// CJK font found through fontconfig, so a missing font never fails a print.
#include <string>

namespace kqcr80 {

// `requested` names a font file when it contains "/" or ends in a font suffix; other
// names are font names and pass unchanged. A missing file is replaced, and the
// replacement is reported once per name on stderr.
std::string chooseFont(const std::string& requested);

}  // namespace kqcr80
