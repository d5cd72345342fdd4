#pragma once
// The service window's log file: the name it proposes and the file it writes. Kept apart from
// the window so that both are checked without one.

#include "platform/kernel/Clock.h"

#include <string>
#include <vector>

// "Лог сервера dd.mm.yy hh.mm.txt" for a local time.
std::string ServiceLogFileName(const SYSTEMTIME& time);

// Writes the lines in order, each ended by CR LF, into a new file at `path` (an existing one
// is replaced). On failure `error` gets the system's reason and false is returned.
bool WriteServiceLog(const std::string& path, const std::vector<std::string>& lines, std::string& error);
