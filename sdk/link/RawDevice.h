// Process-wide state of the raw device functions (declared in devlink.h).
#pragma once

#include <cstdint>

// Ids the open functions look for; changed by change_device_pid.
extern uint16_t current_vid;
extern uint16_t current_pid;
// Package number of the next address probe, and of the next script run.
extern uint8_t open_package_idx;
extern uint8_t run_script_packageNum;
