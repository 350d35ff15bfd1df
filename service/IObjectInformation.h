// A read-only set of named properties.
#pragma once

#include <map>
#include <string>

#include "XError.h"

using PropertyMap = std::map<std::string, std::string>;

class IObjectInformation {
  public:
    virtual ~IObjectInformation() = default;
    // Success and the value, or UnknownProperty.
    virtual XError GetProperty(const std::string& propertyName, std::string& value) const = 0;
    virtual PropertyMap GetAllProperties() const = 0;
};
