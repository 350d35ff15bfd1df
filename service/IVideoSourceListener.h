// What a video source reports to whoever shows its pictures.
#pragma once

#include <string>

#include "XImage.h"

class IVideoSourceListener {
  public:
    virtual ~IVideoSourceListener() = default;
    virtual void OnStartImage() = 0;
    virtual void OnStopImage() = 0;
    // The image is borrowed for the call.
    virtual void OnNewImage(const XImage& image) = 0;
    virtual void OnError(const std::string& errorMessage, bool fatal) = 0;
};
