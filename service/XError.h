// Error codes of the web layer, with their texts.
#pragma once

#include <string>

class XError {
  public:
    enum Code {
        Success = 0,
        Failed = 1,
        NullPointer = 2,
        OutOfMemory = 3,
        IOError = 4,
        DeviceNotReady = 5,
        ConfigurationNotSupported = 6,
        UnknownProperty = 7,
        UnsupportedProperty = 8,
        InvalidPropertyValue = 9,
        ReadOnlyProperty = 10,
        UnsupportedPixelFormat = 11,
        ImageParametersMismatch = 12,
        FailedImageEncoding = 13,
    };

    XError(int code = Success) : mCode(code) {}
    operator int() const { return mCode; }
    int Code() const { return mCode; }
    std::string ToString() const;

  private:
    int mCode;
};
