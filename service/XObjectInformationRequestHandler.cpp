#include "XObjectInformationRequestHandler.h"

#include "StringReplace.h"
#include "XSimpleJsonParser.h"

XObjectInformationRequestHandler::XObjectInformationRequestHandler(
    const std::string& path, std::shared_ptr<IObjectInformation> information)
    : IWebRequestHandler(path, false), mInformation(std::move(information)) {}

std::string XObjectInformationRequestHandler::JsonValue(const std::string& value) {
    std::map<std::string, std::string> members;
    if (value.size() > 1 && value.front() == '{' && value.back() == '}' &&
        XSimpleJsonParser(value, members)) {
        return value;
    }
    std::string quoted = value;
    StringReplace(quoted, "\"", "\\\"");
    return "\"" + quoted + "\"";
}

std::string XObjectInformationRequestHandler::PropertiesDocument(const PropertyMap& properties) {
    std::string body = "{\"status\":\"OK\",\"config\":{";
    bool first = true;
    for (const auto& property : properties) {
        if (!first) body += ",";
        first = false;
        body += "\"" + property.first + "\":" + JsonValue(property.second);
    }
    return body + "}}";
}

void XObjectInformationRequestHandler::HandleHttpRequest(IWebRequest& request,
                                                         IWebResponse& response) {
    if (request.Method() != "GET") {
        response.Printf(
            "HTTP/1.1 405 Method Not Allowed\r\nAllow: GET\r\nContent-Type: "
            "text/plain\r\nConnection: close\r\n\r\nMethod Not Allowed");
        return;
    }
    const std::string vars = request.GetVariable("vars");
    PropertyMap selected;
    if (vars.empty()) {
        selected = mInformation->GetAllProperties();
    } else {
        size_t start = 0;
        while (start <= vars.size()) {
            size_t comma = vars.find(',', start);
            if (comma == std::string::npos) comma = vars.size();
            const std::string name = vars.substr(start, comma - start);
            std::string value;
            if (!name.empty() && mInformation->GetProperty(name, value) == XError::Success) {
                selected.emplace(name, value);
            }
            start = comma + 1;
        }
    }
    const std::string body = PropertiesDocument(selected);
    response.Printf(
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
        "%d\r\nCache-Control: no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: "
        "0\r\n\r\n%s",
        static_cast<int>(body.size()), body.c_str());
}
