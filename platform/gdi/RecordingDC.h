#pragma once
// A memory DC that also writes down every drawing call it receives, with the pen, brush, font
// and colours in effect, so that drawing code can be tested by what it issues.

#include "platform/gdi/DC.h"

#include <string>
#include <vector>

struct GdiRecord {
    // The call's name: "MoveTo", "LineTo", "Polyline", "TextOut", "FillSolidRect" ..., and the
    // clipping calls "IntersectClipRect" and "SelectClipRgn" (rect: the region's box, empty when
    // the clip is removed; flags: the mode).
    std::string op;
    std::vector<CPoint> points;  // the points given (for LineTo: start and end)
    CRect rect;                  // the rectangle given, if any
    std::string text;            // the text given, if any
    UINT flags = 0;              // text alignment, DrawText format, ExtTextOut options or raster op
    COLORREF color = 0;          // the colour argument of FillSolidRect, SetPixel, Draw3dRect (top-left)

    int penStyle = PS_SOLID;     // PS_* style, without type and cap bits
    bool penGeometric = false;
    int penWidth = 0;
    COLORREF penColor = 0;
    std::vector<DWORD> penDashes;
    UINT brushStyle = BS_SOLID;
    COLORREF brushColor = 0;
    int brushHatch = 0;
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    int bkMode = OPAQUE;
    UINT textAlign = 0;
    LOGFONT font{};
};

class CRecordingDC : public CDC {
public:
    // Draws on a width x height memory bitmap as well, so measuring calls answer as usual.
    explicit CRecordingDC(int width = 640, int height = 480);
    ~CRecordingDC() override;

    const std::vector<GdiRecord>& Records() const { return records_; }
    void ClearRecords() { records_.clear(); }
    // The records of one call name, in order.
    std::vector<GdiRecord> RecordsOf(const std::string& op) const;

private:
    std::vector<GdiRecord> records_;
    CBitmap bitmap_;
};
