#pragma once
// Opening a link or document with the program the user chose for it: `xdg-open`, found on
// PATH and started with the target as its one argument (an argument vector, never a shell
// command line), detached from this program and not waited for.

#include <string>

// True when the launcher was started; false when it could not be (no xdg-open, no process).
// What the launcher then does with the target is its business.
bool ShellOpen(const std::string& target);

// Links in tooltip markup come from text anyone could have written: only absolute http, https,
// ftp and mailto URLs of at most 2048 bytes, without control characters and not starting with
// "-" (which a launcher could take for an option), are opened.
bool IsOpenableUrl(const std::string& url);
// IsOpenableUrl, then ShellOpen; a refused URL starts nothing and gives false.
bool ShellOpenUrl(const std::string& url);
