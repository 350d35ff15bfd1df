#pragma once
// The demo's dialogue: start-up, the device menu and the operation menu.

// Runs the whole program; the exit status is always 0.
int runCr80Demo();
