#pragma once
// Velkaro's icons, drawn by the program itself rather than read from files: the program icon
// and the images of the main window's trigger-edge, stop and single-shot buttons. Each is a
// 32 x 32 image with an alpha channel, registered under its resource id so LoadIcon finds it.

#include "platform/gdi/GdiTypes.h"

#include <array>

namespace velkaro_icons {

inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDI_EDGE_NONE = 131;     // trigger edge 0: no edge chosen
inline constexpr UINT IDI_EDGE_1 = 132;        // trigger edge 1: rising
inline constexpr UINT IDI_EDGE_2 = 140;        // trigger edge 2: falling
inline constexpr UINT IDI_RUNNING = 136;       // stop button while acquisition runs
inline constexpr UINT IDI_STOPPED = 137;       // stop button while stopped
inline constexpr UINT IDI_SINGLE_OFF = 138;
inline constexpr UINT IDI_SINGLE_ON = 139;

inline constexpr std::array<UINT, 8> ALL = {IDR_MAINFRAME, IDI_EDGE_NONE, IDI_EDGE_1, IDI_EDGE_2,
                                           IDI_RUNNING,   IDI_STOPPED,   IDI_SINGLE_OFF, IDI_SINGLE_ON};

inline constexpr int ICON_SIZE = 32;

}  // namespace velkaro_icons

// Draws and registers every icon once; later calls change nothing. False when an icon could
// not be made.
bool RegisterVelkaroIcons();
