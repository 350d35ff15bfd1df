// The pauses a device script takes (DELAY and the pause after a failed TEST
// attempt), replaceable by tests so that they need not wait them out.
#pragma once

namespace devlink {

using ScriptPauseFn = void (*)(int ms);
void scriptPause(int ms);
// Replaces the pause; null restores the real sleep.
void setScriptPause(ScriptPauseFn pause);

}  // namespace devlink
