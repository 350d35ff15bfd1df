#include "XObjectInformationMap.h"

XError XObjectInformationMap::GetProperty(const std::string& propertyName,
                                          std::string& value) const {
    auto it = mProperties.find(propertyName);
    if (it == mProperties.end()) return XError::UnknownProperty;
    value = it->second;
    return XError::Success;
}
