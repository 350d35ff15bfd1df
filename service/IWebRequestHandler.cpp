#include "IWebRequestHandler.h"

std::string StripTrailingSlashes(std::string uri) {
    while (uri.size() > 1 && uri.back() == '/') uri.pop_back();
    return uri;
}

IWebRequestHandler::IWebRequestHandler(const std::string& path, bool subContent)
    : uri(StripTrailingSlashes(!path.empty() && path[0] == '/' ? path : "/" + path)),
      canHandleSubContent(subContent) {}
