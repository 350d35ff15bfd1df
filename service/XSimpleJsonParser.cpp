#include "XSimpleJsonParser.h"

#include <cctype>

namespace {

class Reader {
  public:
    explicit Reader(const std::string& text) : mText(text) {}

    bool AtEnd() const { return mPos >= mText.size(); }
    char Current() const { return AtEnd() ? '\0' : mText[mPos]; }
    void Advance() { ++mPos; }
    void SkipSpaces() {
        while (!AtEnd() && mText[mPos] == ' ') ++mPos;
    }

    // On failure the position is left where it was.
    bool ReadString(std::string& out) {
        const size_t start = mPos;
        if (!ReadStringAt(out)) {
            mPos = start;
            return false;
        }
        return true;
    }

  private:
    bool ReadStringAt(std::string& out) {
        SkipSpaces();
        if (Current() != '"') return false;
        Advance();
        out.clear();
        while (!AtEnd() && Current() != '"') {
            char c = Current();
            Advance();
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (AtEnd()) return false;
            c = Current();
            Advance();
            switch (c) {
                case '"':
                    out.push_back('"');
                    break;
                case '/':
                    out.push_back('/');
                    break;
                case '\\':
                    out.push_back('\\');
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'u':
                    // Dropped: the four characters after \u are skipped.
                    if (mText.size() - mPos < 4) return false;
                    mPos += 4;
                    break;
                default:
                    return false;
            }
        }
        if (AtEnd()) return false;
        Advance();
        SkipSpaces();
        return true;
    }

  public:
    bool ReadValue(std::string& out, bool requote) {
        SkipSpaces();
        const char first = Current();
        if (first == '[') return ReadArray(out);
        if (first == '{') return ReadObject(out);
        if (first == '"') {
            std::string text;
            if (!ReadString(text)) return false;
            out = requote ? "\"" + text + "\"" : text;
            return true;
        }
        return ReadToken(out);
    }

  private:
    bool ReadArray(std::string& out) {
        Advance();
        out = "[";
        SkipSpaces();
        if (Current() == ']') {
            Advance();
            SkipSpaces();
            out += "]";
            return true;
        }
        for (bool firstItem = true;; firstItem = false) {
            std::string item;
            if (!ReadValue(item, true)) return false;
            if (!firstItem) out += ",";
            out += item;
            if (Current() == ']') break;
            if (Current() != ',') return false;
            Advance();
        }
        Advance();
        SkipSpaces();
        out += "]";
        return true;
    }

    bool ReadObject(std::string& out) {
        Advance();
        out = "{";
        SkipSpaces();
        if (Current() == '}') {
            Advance();
            SkipSpaces();
            out += "}";
            return true;
        }
        for (bool firstMember = true;; firstMember = false) {
            std::string name, value;
            if (!ReadString(name) || Current() != ':') return false;
            Advance();
            if (!ReadValue(value, true)) return false;
            if (!firstMember) out += ",";
            out += name + ":" + value;
            if (Current() == '}') break;
            if (Current() != ',') return false;
            Advance();
        }
        Advance();
        SkipSpaces();
        out += "}";
        return true;
    }

    bool ReadToken(std::string& out) {
        const char first = Current();
        if (first != 't' && first != 'f' && first != 'n' && first != '-' &&
            !std::isdigit(static_cast<unsigned char>(first))) {
            return false;
        }
        out.clear();
        while (!AtEnd() && Current() != ' ' && Current() != ',' && Current() != ']' &&
               Current() != '}') {
            out.push_back(Current());
            Advance();
        }
        if ((first == 't' && out != "true") || (first == 'f' && out != "false") ||
            (first == 'n' && out != "null")) {
            return false;
        }
        SkipSpaces();
        return true;
    }

    const std::string& mText;
    size_t mPos = 0;
};

}  // namespace

bool XSimpleJsonParser(const std::string& text, std::map<std::string, std::string>& values) {
    values.clear();
    Reader reader(text);
    reader.SkipSpaces();
    if (reader.Current() != '{') return false;
    for (;;) {
        reader.Advance();
        std::string name, value;
        if (!reader.ReadString(name)) return reader.Current() == '}';
        if (reader.Current() != ':') return false;
        reader.Advance();
        if (!reader.ReadValue(value, false)) return false;
        values.emplace(name, value);
        if (reader.Current() == '}') return true;
        if (reader.Current() != ',') return false;
    }
}
