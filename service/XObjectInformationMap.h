// A property set over a fixed map.
#pragma once

#include "IObjectInformation.h"

class XObjectInformationMap : public IObjectInformation {
  public:
    explicit XObjectInformationMap(PropertyMap properties) : mProperties(std::move(properties)) {}

    XError GetProperty(const std::string& propertyName, std::string& value) const override;
    PropertyMap GetAllProperties() const override { return mProperties; }

  private:
    PropertyMap mProperties;
};
