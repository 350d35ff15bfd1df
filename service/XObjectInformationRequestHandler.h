// Answers GET with a JSON document of all or selected properties of a set.
#pragma once

#include <memory>

#include "IObjectInformation.h"
#include "IWebRequestHandler.h"

class XObjectInformationRequestHandler : public IWebRequestHandler {
  public:
    XObjectInformationRequestHandler(const std::string& uri,
                                     std::shared_ptr<IObjectInformation> information);

    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override;

    // {"status":"OK","config":{...}} of the given properties, in name order.
    static std::string PropertiesDocument(const PropertyMap& properties);
    // The value as it appears in a document: objects as they are, anything
    // else as a string with its quotation marks escaped.
    static std::string JsonValue(const std::string& value);

  private:
    std::shared_ptr<IObjectInformation> mInformation;
};
