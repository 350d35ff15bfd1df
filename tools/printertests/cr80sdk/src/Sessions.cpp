#include "Sessions.h"

#include <json/json.h>

#include <map>

namespace kqcr80 {

namespace {
std::map<std::string, Session>& sessions() {
    static std::map<std::string, Session> all;
    return all;
}
}  // namespace

std::mutex& sdkMutex() {
    static std::mutex m;
    return m;
}

Session& session(const std::string& sn) {
    return sessions()[sn];
}

void clearSessions() {
    sessions().clear();
}

int openPrinter(const std::string& sn, kqCR80_Pram** printer) {
    *printer = nullptr;
    return kq_ecp_open(sn.c_str(), printer);
}

int learnState(const std::string& sn, Session& s) {
    if (s.stateKnown) return 0;
    kqCR80_Pram* printer = nullptr;
    if (int rc = openPrinter(sn, &printer)) return rc;
    // The information document is about 500 bytes.
    std::vector<char> info(8192, 0);
    if (int rc = kq_ecp_info(printer, info.data())) return rc;
    Json::Value doc;
    Json::CharReaderBuilder builder;
    std::string errors;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const char* begin = info.data();
    if (!reader->parse(begin, begin + std::char_traits<char>::length(begin), &doc, &errors) ||
        !doc.isObject())
        return 233;  // the driver's code for a malformed reply
    s.cardInside = doc.get("CardPosition", 0).asInt() != 0;
    s.remaining = doc.get("RemainTimes", 0).asUInt();
    s.totalPrinted = doc.get("TotalPrintCnt", 0).asUInt();
    s.stateKnown = true;
    return 0;
}

}  // namespace kqcr80
