#include "RealDisplay.h"

#include "platform/ui/testing/UiTest.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace realx {

namespace {

std::string Find(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string all = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= all.size()) {
        const std::size_t end = std::min(all.find(':', at), all.size());
        const std::filesystem::path candidate = std::filesystem::path(all.substr(at, end - at)) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        at = end + 1;
    }
    return {};
}

pid_t Spawn(const std::vector<std::string>& args, int keepFd)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // The child: its output goes nowhere, only the descriptor it reports on stays open.
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd) ::close(fd);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

struct Servers {
    pid_t xvfb = 0;
    pid_t wm = 0;
    ~Servers()
    {
        for (pid_t p : {wm, xvfb})
            if (p > 0) {
                ::kill(p, SIGTERM);
                ::waitpid(p, nullptr, 0);
            }
    }
};

Servers& Running()
{
    static Servers servers;
    return servers;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_atom_t atom = XCB_ATOM_NONE;
    if (auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr)) {
        atom = reply->atom;
        std::free(reply);
    }
    return atom;
}

std::vector<std::uint32_t> PropertyOn(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom, xcb_atom_t type)
{
    std::vector<std::uint32_t> out;
    auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, type, 0, 1024), nullptr);
    if (reply == nullptr) return out;
    if (reply->format == 32) {
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        out.assign(v, v + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return out;
}

// Waits until the window manager has taken the screen: it names its check window on the root.
bool WaitForWindowManager(const std::string& display, pid_t wm)
{
    int screen = 0;
    xcb_connection_t* c = xcb_connect(display.c_str(), &screen);
    if (c == nullptr || xcb_connection_has_error(c) != 0) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    bool there = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!(there = !PropertyOn(c, root, check, XCB_ATOM_WINDOW).empty())) {
        if (::waitpid(wm, nullptr, WNOHANG) != 0) break;
        if (std::chrono::steady_clock::now() > deadline) break;
        // The next property change of the root (or a second, to see whether openbox ended).
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (::poll(&fd, 1, 1000) > 0)
            while (xcb_generic_event_t* e = xcb_poll_for_event(c)) std::free(e);
        if (xcb_connection_has_error(c) != 0) break;
    }
    // Taking the screen is not yet handling requests: the window manager is ready once it
    // answers one, here the frame it would draw around a window.
    if (there) {
        const xcb_window_t probe = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_EVENT_MASK, &mask);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = probe;
        message.type = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
        const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
        // Asked again while no answer comes: a window manager setting itself up may drop what
        // came before it handles events.
        while (!(there = PropertyOn(c, probe, extents, XCB_ATOM_CARDINAL).size() == 4)) {
            if (std::chrono::steady_clock::now() > deadline || xcb_connection_has_error(c) != 0) break;
            xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char*>(&message));
            xcb_flush(c);
            pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
            if (::poll(&fd, 1, 100) > 0)
                while (xcb_generic_event_t* e = xcb_poll_for_event(c)) std::free(e);
        }
        xcb_destroy_window(c, probe);
    }
    xcb_disconnect(c);
    return there;
}

std::string StartOnce()
{
    if (QCoreApplication::instance() != nullptr) return "a Qt application was made before the X server was started";
    const std::string xvfb = Find("Xvfb");
    const std::string openbox = Find("openbox");
    if (xvfb.empty()) return "Xvfb is not installed (package xvfb)";
    if (openbox.empty()) return "openbox is not installed (package openbox)";
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe for Xvfb's display number";
    Running().xvfb = Spawn({xvfb, "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x800x24", "-dpi", "96", "-nolisten", "tcp"}, pipeFds[1]);
    ::close(pipeFds[1]);
    // Xvfb writes its display number once it takes connections.
    std::string number;
    char ch = 0;
    while (::read(pipeFds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    ::close(pipeFds[0]);
    if (number.empty()) return "Xvfb did not start";
    const std::string display = ":" + number;
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    Running().wm = Spawn({openbox, "--sm-disable"}, -1);
    if (!WaitForWindowManager(display, Running().wm)) return "openbox did not take the screen";
    uitest::EnsureApplication();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return "Qt did not start on xcb";
    return {};
}

}  // namespace

std::string Start()
{
    static const std::string why = StartOnce();
    return why;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds within)
{
    const auto deadline = std::chrono::steady_clock::now() + within;
    for (;;) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (done()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        // Sleeps only until the next event comes (the X server's answer among them).
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, static_cast<int>(std::min<long long>(left.count(), 100)));
    }
}

xcb_connection_t* Connection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app != nullptr ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

std::vector<std::uint32_t> Property(std::uint32_t window, const char* name, std::uint32_t type)
{
    xcb_connection_t* c = Connection();
    if (c == nullptr) return {};
    const xcb_atom_t atom = Atom(c, name);
    return PropertyOn(c, window, atom, type == 0 ? static_cast<xcb_atom_t>(XCB_GET_PROPERTY_TYPE_ANY) : type);
}

std::uint32_t AtomOf(const char* name)
{
    xcb_connection_t* c = Connection();
    return c != nullptr ? Atom(c, name) : 0;
}

std::uint32_t ActiveWindow()
{
    xcb_connection_t* c = Connection();
    if (c == nullptr) return 0;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::vector<std::uint32_t> v = PropertyOn(c, root, Atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return v.empty() ? 0 : v[0];
}

Area ClientArea(std::uint32_t window)
{
    Area a;
    xcb_connection_t* c = Connection();
    if (c == nullptr) return a;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr)) {
        a.width = g->width;
        a.height = g->height;
        std::free(g);
    }
    if (auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr)) {
        a.x = t->dst_x;
        a.y = t->dst_y;
        std::free(t);
    }
    return a;
}

}  // namespace realx
