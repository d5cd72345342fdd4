#pragma once
// The lines of text above the plot area, each centred, each optionally in its own font.

#include "widgets/chart/ChartFont.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CChartCtrl;

class CChartTitle {
public:
    explicit CChartTitle(CChartCtrl* parent);

    void AddString(const std::string& line);
    void RemoveAll();
    size_t GetStringCount() const { return m_StringArray.size(); }
    const std::string& GetString(size_t index) const { return m_StringArray[index]; }
    void SetVisible(bool visible);
    bool IsVisible() const { return m_bIsVisible; }
    void SetColor(COLORREF color);
    void SetFont(int pointSize, const std::string& faceName, bool bold = false, bool italic = false,
                 bool underline = false);
    void SetLineFont(size_t line, int pointSize, const std::string& faceName, bool bold = false);

    // (width, height) of the lines, (0, 0) when hidden or without lines.
    CSize GetSize(CDC* dc);
    void SetRect(const CRect& rect) { m_TitleRect = rect; }
    CRect GetRect() const { return m_TitleRect; }
    void Draw(CDC* dc);

private:
    ChartFontDescription& FontOf(size_t line);
    void RedrawChart();

    CChartCtrl* m_pParentCtrl;
    std::vector<std::string> m_StringArray;
    std::map<size_t, std::unique_ptr<ChartFontDescription>> m_mapLineFonts;
    bool m_bIsVisible = true;
    ChartFontDescription m_DefaultFont;
    COLORREF m_TextColor = 0;
    CRect m_TitleRect;
};
