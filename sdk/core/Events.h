// Device events: event documents handed to a host-supplied listener.
#pragma once

#include <json/json.h>

#include <map>
#include <string>

// Receives the event document text; its result is ignored.
using EventListener = int (*)(char* eventJson);

// Event ids to names.
const std::map<int, std::string>& event_topic();

void _OnEvent(EventListener listener, int eventId, const char* message, Json::Value& data);
void _OnEvent(EventListener listener, int eventId, char* message, Json::Value& data);
// data is JSON text; nothing is delivered when it does not parse cleanly.
void _OnEvent(EventListener listener, int eventId, char* message, char* dataText);
