#pragma once

#include <functional>

// Runs `task` on the user-interface thread, from its event loop (a modal dialog's loop counts),
// soon after this returns; callable from any thread. Nothing waits for it: a caller that needs
// the outcome waits on its own state, so that it can be released without the loop's help.
void PostToUiThread(std::function<void()> task);
