#pragma once
// Where the running program lives, and where its per-user files go when that folder is not
// writable.

#include <string>

// The folder of the running executable, without a trailing slash ("." if it cannot be told).
std::string GetProgramFolder();

// $XDG_CONFIG_HOME/<application>, or ~/.config/<application>; created when missing.
// Empty when no such folder can be made.
std::string GetUserConfigFolder(const std::string& application);

// True when a file can be created in the folder.
bool IsFolderWritable(const std::string& folder);
