#pragma once
// Something drawn over the finished chart image on every paint, following the mouse.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiTypes.h"

class CChartCtrl;

class CChartCursor {
public:
    explicit CChartCursor(CChartCtrl* parent);
    virtual ~CChartCursor() = default;
    CChartCursor(const CChartCursor&) = delete;
    CChartCursor& operator=(const CChartCursor&) = delete;

    virtual void OnMouseMove(int x, int y) = 0;
    virtual void OnMouseButtonDown(int /*x*/, int /*y*/) {}
    virtual void OnMouseButtonUp(int /*x*/, int /*y*/) {}
    virtual void Draw(CDC* dc) = 0;

    void SetColor(COLORREF color) { m_colCursor = color; }
    COLORREF GetColor() const { return m_colCursor; }
    unsigned GetCursorId() const { return m_uCursorId; }

protected:
    COLORREF m_colCursor = 0;
    CChartCtrl* m_pParentCtrl;
    unsigned m_uCursorId;
};
