#pragma once
// A real X server with a real window manager for the tests of one process: its own Xvfb and
// openbox, started before the Qt application is made (on xcb) and ended with the process. The
// tests then run the code users run, the window manager framing, placing and focusing windows.
// Where Xvfb or openbox is not installed the tests skip, saying so.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace realx {

// Starts the X server and the window manager once (later calls return at once); empty when
// they run and the application uses them, else why they cannot.
std::string Start();

// Runs Qt's events until done() holds, waiting for events in between; false when it did not
// hold within the time (generous: the window manager answers in milliseconds).
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds within = std::chrono::seconds(10));

// Qt's connection to the server, and a 32-bit property of a window as the server holds it
// (empty when the window has none).
xcb_connection_t* Connection();
std::vector<std::uint32_t> Property(std::uint32_t window, const char* name, std::uint32_t type = 0);
std::uint32_t AtomOf(const char* name);
std::uint32_t ActiveWindow();
// Where the server has the window's client area, in root coordinates: x, y, width, height.
struct Area {
    int x = 0, y = 0, width = 0, height = 0;
};
Area ClientArea(std::uint32_t window);

}  // namespace realx

#define REALX_START_OR_SKIP()                               \
    do {                                                    \
        const std::string why = realx::Start();            \
        if (!why.empty()) GTEST_SKIP() << why;              \
    } while (false)
