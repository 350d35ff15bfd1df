// The abstract card-transport mechanism model, as the dispatcher uses it.
#pragma once

#include <json/json.h>

#include "core/Events.h"

class kqDev {
  public:
    virtual ~kqDev() = default;

    virtual int _PowerOff(int waitMs) = 0;
    virtual void toGetStateJson(Json::Value& state) = 0;
    virtual void toGetDevJson(Json::Value& info) = 0;
    virtual int get_part_list(const char* argsJson, char* out) = 0;
    virtual int send_to_parts(const char* argsJson, char* out) = 0;

    void addEventLister(EventListener listener) { mListener = listener; }
    void removeEventLister() { mListener = nullptr; }

  protected:
    EventListener mListener = nullptr;
};
