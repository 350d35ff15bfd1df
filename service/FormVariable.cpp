#include "FormVariable.h"

#include <strings.h>

#include "RequestTarget.h"

bool FindFormVariable(const std::string& source, const std::string& name, std::string& value) {
    if (name.empty()) return false;
    size_t start = 0;
    while (start <= source.size()) {
        size_t end = source.find('&', start);
        if (end == std::string::npos) end = source.size();
        if (end - start > name.size() && source[start + name.size()] == '=' &&
            strncasecmp(source.c_str() + start, name.c_str(), name.size()) == 0) {
            const size_t at = start + name.size() + 1;
            value = PercentDecode(source.substr(at, end - at), true);
            return true;
        }
        start = end + 1;
    }
    return false;
}
