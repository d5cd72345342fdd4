#pragma once
// Where the transports and the link send the texts they show the user in a message box with an
// OK button. The user interface points this at its message box, which must post the box to the
// UI thread when called from another thread and never block the caller there. Until then the
// texts go to standard error.

#include <string>

using MessageBoxFunction = void (*)(const std::string& text);

// Null restores the default (standard error).
void SetMessageBoxHook(MessageBoxFunction function);
void ShowMessageBox(const std::string& text);
