// The handlers of a server: exact URIs, and sub-content handlers that also
// serve every URI their own is a prefix of.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>

#include "AccessStamp.h"
#include "IWebRequestHandler.h"

struct RequestHandlerData {
    std::shared_ptr<IWebRequestHandler> handler;
    UserGroup group = UserGroup::Anyone;
    // Shared by the configured and the running copy of the tables.
    std::shared_ptr<AccessStamp> access = std::make_shared<AccessStamp>();
};

class HandlerTables {
  public:
    void Add(const std::shared_ptr<IWebRequestHandler>& handler, UserGroup group);
    void Remove(const std::shared_ptr<IWebRequestHandler>& handler);
    void Clear();
    // The handler for a URI without trailing slashes, or null.
    const RequestHandlerData* Find(const std::string& uri) const;

  private:
    std::map<std::string, RequestHandlerData> mExact;
    std::list<RequestHandlerData> mSubContent;
};
