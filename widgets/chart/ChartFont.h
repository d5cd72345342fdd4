#pragma once
// The font description titles and axis labels share: face, size in tenths of a point and style.
// The font is made for the DC it is about to draw on, so text keeps its point size on a printer
// page as on the screen.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"

#include <string>

class ChartFontDescription {
public:
    std::string m_strFaceName = "Microsoft Sans Serif";
    int m_iPointSize = 100;  // tenths of a point
    bool m_bItalic = false;
    bool m_bBold = false;
    bool m_bUnderline = false;
    bool m_bVertical = false;

    // Marks the font for rebuilding after a member changed.
    void SetStale() { m_bStale = true; }
    // Selects the font (built for dc when needed) and remembers the font it replaced.
    void Select(CDC* dc);
    // Puts back the font Select replaced.
    void Restore(CDC* dc);

private:
    struct Target {
        HDC dc = 0;
        int dpi = 0;
        int mapMode = 0;
        long windowCy = 0;
        long viewportCy = 0;
        bool operator==(const Target&) const = default;
    };
    static Target TargetOf(CDC* dc);

    CFont m_Font;
    bool m_bStale = true;
    Target m_Target;
    CFont* m_pOldFont = nullptr;
};
