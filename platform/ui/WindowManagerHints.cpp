// What a top-level window offers the window manager on X11, its frame's functions and buttons,
// and what the window manager answers about the frame it draws.
//
// Qt writes the window's Motif hints from its window flags, and always offers resizing there.
// A window without a thick frame has one size only; its size hints already say so, but a
// window manager reads the Motif hints for the functions it offers and the buttons it draws, so
// the layer writes them itself: moving, closing (with a system menu), minimizing (with a
// minimize box), and resizing and maximizing only with a thick frame. Other window systems
// take what the window flags say.
//
// A window manager frames a window only once it maps it, yet a window lays itself out from its
// client area before it is first shown. EWMH lets a program ask first: for a window not mapped
// yet, _NET_REQUEST_FRAME_EXTENTS makes the window manager set _NET_FRAME_EXTENTS on it to the
// frame it would draw. The layer asks with a stand-in window of the same kind (the same Motif
// hints and size rule) on a connection of its own, so that it can wait for the answer without
// taking events from Qt's connection and without making the program's window native early.

#include "platform/ui/WndImpl.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace uiimpl {

namespace {

// The Motif hints: flags, functions, decorations, input mode, status.
constexpr std::uint32_t kHasFunctions = 1;
constexpr std::uint32_t kHasDecorations = 2;
constexpr std::uint32_t kFunctionResize = 2;
constexpr std::uint32_t kFunctionMove = 4;
constexpr std::uint32_t kFunctionMinimize = 8;
constexpr std::uint32_t kFunctionMaximize = 16;
constexpr std::uint32_t kFunctionClose = 32;
constexpr std::uint32_t kDecorBorder = 2;
constexpr std::uint32_t kDecorResizeHandle = 4;
constexpr std::uint32_t kDecorTitle = 8;
constexpr std::uint32_t kDecorMenu = 16;
constexpr std::uint32_t kDecorMinimize = 32;
constexpr std::uint32_t kDecorMaximize = 64;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_atom_t atom = XCB_ATOM_NONE;
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
        atom = reply->atom;
        std::free(reply);
    }
    return atom;
}

xcb_atom_t MotifHintsAtom(xcb_connection_t* connection)
{
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) atom = Atom(connection, "_MOTIF_WM_HINTS");
    return atom;
}

// The Motif hints a captioned window of this style carries.
std::array<std::uint32_t, 5> MotifHints(DWORD style)
{
    std::uint32_t functions = kFunctionMove;
    std::uint32_t decorations = kDecorBorder | kDecorTitle;
    if ((style & WS_SYSMENU) != 0) {
        functions |= kFunctionClose;
        decorations |= kDecorMenu;
    }
    if ((style & WS_MINIMIZEBOX) != 0) {
        functions |= kFunctionMinimize;
        decorations |= kDecorMinimize;
    }
    if ((style & WS_THICKFRAME) != 0) {
        functions |= kFunctionResize;
        decorations |= kDecorResizeHandle;
        if ((style & WS_MAXIMIZEBOX) != 0) {
            functions |= kFunctionMaximize;
            decorations |= kDecorMaximize;
        }
    }
    return {kHasFunctions | kHasDecorations, functions, decorations, 0, 0};
}

xcb_connection_t* QtConnection()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app != nullptr ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

using Reply = std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)>;

Reply Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t atom, xcb_atom_t type, std::uint32_t longs)
{
    return Reply(xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, type, 0, longs), nullptr), &std::free);
}

// The values of a 32-bit property; none when it is not there or of another form.
std::vector<std::uint32_t> Values(const Reply& reply)
{
    if (reply == nullptr || reply->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return count > 0 ? std::vector<std::uint32_t>(data, data + count) : std::vector<std::uint32_t>();
}

// How long a window manager that says it answers gets to answer: it answers at once, so this
// only bounds the wait on one that does not keep its word.
constexpr std::chrono::milliseconds kAnswerTime{2000};

// Waits until a property of a window of the connection changes (the window selected property
// changes), or the time is up; false then.
bool PropertyChanges(xcb_connection_t* c, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        bool changed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) changed = true;
            std::free(event);
        }
        if (changed) return true;
        if (xcb_connection_has_error(c) != 0) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
    }
}

std::optional<QMargins> AskFrameOn(xcb_connection_t* c, const xcb_screen_t& screen, DWORD style)
{
    const xcb_atom_t supported = Atom(c, "_NET_SUPPORTED");
    const xcb_atom_t request = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
    const xcb_atom_t motif = Atom(c, "_MOTIF_WM_HINTS");
    if (supported == XCB_ATOM_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE || motif == XCB_ATOM_NONE)
        return std::nullopt;
    // Only a window manager that says it answers is asked.
    const std::vector<std::uint32_t> offered = Values(Property(c, screen.root, supported, XCB_ATOM_ATOM, 4096));
    if (std::find(offered.begin(), offered.end(), request) == offered.end()) return std::nullopt;

    const xcb_window_t probe = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    constexpr std::uint16_t kSide = 200;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen.root, 0, 0, kSide, kSide, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen.root_visual, XCB_CW_EVENT_MASK, &mask);
    if ((style & WS_CAPTION) == WS_CAPTION) {
        const std::array<std::uint32_t, 5> hints = MotifHints(style);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, motif, motif, 32, static_cast<std::uint32_t>(hints.size()), hints.data());
    }
    if ((style & WS_THICKFRAME) == 0) {
        // WM_NORMAL_HINTS: flags (program's minimum size 16, maximum size 32), x, y, width,
        // height, minimum width and height, maximum width and height, and the rest unused.
        std::array<std::uint32_t, 18> size{};
        size[0] = 16 | 32;
        size[5] = size[6] = size[7] = size[8] = kSide;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32,
                            static_cast<std::uint32_t>(size.size()), size.data());
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = probe;
    message.type = request;
    xcb_send_event(c, 0, screen.root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);

    std::optional<QMargins> frame;
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    do {
        const std::vector<std::uint32_t> v = Values(Property(c, probe, extents, XCB_ATOM_CARDINAL, 4));
        if (v.size() == 4) {
            // Left, right, top, bottom; a frame wider than any screen is no answer.
            if (std::all_of(v.begin(), v.end(), [](std::uint32_t x) { return x < 4096; }))
                frame = QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]), static_cast<int>(v[3]));
            break;
        }
    } while (PropertyChanges(c, deadline));
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return frame;
}

}  // namespace

std::optional<QMargins> AskFrameExtents(DWORD style)
{
    if (QtConnection() == nullptr) return std::nullopt;
    // A connection of its own, to the display of Qt's.
    const QByteArray display = qgetenv("DISPLAY");
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    std::optional<QMargins> frame;
    if (c != nullptr && xcb_connection_has_error(c) == 0) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
        if (it.rem > 0 && it.data != nullptr) frame = AskFrameOn(c, *it.data, style);
    }
    if (c != nullptr) xcb_disconnect(c);
    // The window manager counts the screen's pixels, the layer those of the screen's scale.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    if (frame && ratio > 0 && ratio != 1.0)
        frame = QMargins(qRound(frame->left() / ratio), qRound(frame->top() / ratio), qRound(frame->right() / ratio),
                         qRound(frame->bottom() / ratio));
    return frame;
}

void TellFrameFunctions(const Record& r)
{
    QWidget* w = r.widget;
    if (w == nullptr || !w->isWindow() || (r.style & WS_CHILD) != 0) return;
    if ((r.style & WS_CAPTION) != WS_CAPTION || w->internalWinId() == 0) return;
    xcb_connection_t* connection = QtConnection();
    if (connection == nullptr) return;
    const xcb_atom_t atom = MotifHintsAtom(connection);
    if (atom == XCB_ATOM_NONE) return;
    const std::array<std::uint32_t, 5> hints = MotifHints(r.style);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(w->internalWinId()), atom, atom, 32,
                        static_cast<std::uint32_t>(hints.size()), hints.data());
    xcb_flush(connection);
}

}  // namespace uiimpl
