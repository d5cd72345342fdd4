#pragma once
// Platform-internal: the pixmap a window shows for an icon or bitmap handle.
//
// Qt keeps what it draws of a pixmap in its process-wide pixmap cache under that pixmap's own
// key (an icon's sizes and modes, the disabled look), and never learns when the pixmap is gone.
// A fresh pixmap made for every SetIcon of the same handle therefore leaves one more entry
// behind each time: a button switched between two icons at every stop and run grows the heap by
// its icons' size per click, until the cache's limit of several megabytes is full. Controls and
// windows take their pictures from here, so that one picture is one pixmap for as long as it
// stays unchanged.

#include "platform/ui/UiTypes.h"

#include <QPixmap>
#include <QSize>

#include <cstddef>

namespace uiimpl {

// The pixmap of an icon (mask applied) or bitmap handle, stretched to `size` when one is given;
// a null pixmap for any other handle.
// The same pixmap (same cache key) as long as the object and its pixels stay the same; a new one
// once the picture was drawn on or the handle names another object. A DIB section, whose pixels
// change behind the layer's back, gets a new pixmap every time. UI thread only.
QPixmap PixmapOfHandle(DWORD handle, QSize size = QSize());

// Pictures kept for objects still alive (for tests: it never grows with repeated use).
std::size_t KeptHandlePixmaps();

}  // namespace uiimpl
