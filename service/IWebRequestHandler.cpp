#include "IWebRequestHandler.h"

std::string StripTrailingSlashes(std::string uri) {
    while (uri.size() > 1 && uri.back() == '/') uri.pop_back();
    return uri;
}

IWebRequestHandler::IWebRequestHandler(const std::string& uri, bool canHandleSubContent)
    : uri(StripTrailingSlashes(!uri.empty() && uri[0] == '/' ? uri : "/" + uri)),
      canHandleSubContent(canHandleSubContent) {}
