#include "FontChoice.h"

#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <cstdio>
#include <set>

namespace kqcr80 {

namespace {

bool endsWith(const std::string& s, const char* suffix) {
    const std::string t(suffix);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool namesFile(const std::string& font) {
    if (font.find('/') != std::string::npos) return true;
    for (const char* suffix : {".ttc", ".ttf", ".otf", ".TTC", ".TTF", ".OTF"})
        if (endsWith(font, suffix)) return true;
    return false;
}

// A Chinese-capable font file, or empty when fontconfig knows none.
std::string cjkFont() {
    std::string file;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=zh-cn"));
    if (pattern) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        if (match) {
            FcChar8* path = nullptr;
            FcLangSet* langs = nullptr;
            // fontconfig answers with some font even when none covers Chinese.
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
                FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("zh-cn")) !=
                    FcLangDifferentLang)
                file = reinterpret_cast<const char*>(path);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return file;
}

}  // namespace

std::string chooseFont(const std::string& requested) {
    if (!namesFile(requested) || access(requested.c_str(), R_OK) == 0) return requested;
    static const std::string fallback = cjkFont();
    static std::set<std::string> reported;
    if (reported.insert(requested).second) {
        if (fallback.empty())
            std::fprintf(stderr,
                         "KQCR80Printer: font file \"%s\" not found and no CJK font known to "
                         "fontconfig; using the default font\n",
                         requested.c_str());
        else
            std::fprintf(stderr, "KQCR80Printer: font file \"%s\" not found; using \"%s\"\n",
                         requested.c_str(), fallback.c_str());
    }
    return fallback;
}

}  // namespace kqcr80
