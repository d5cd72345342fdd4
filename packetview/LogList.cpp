// Durmitt's log list contents.

#include "packetview/LogList.h"

#include "core/log/EventLog.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/Controls.h"

#include <algorithm>

#include <utility>

LogList::Update LogList::Tick()
{
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(seenTotal_, lines);
    return Append(std::move(lines));
}

LogList::Update LogList::Append(std::vector<std::string> lines)
{
    Update update;
    if (lines.empty())
        return update;
    // Only the newest lines of a burst are worth showing; the list would drop the rest anyway.
    const std::size_t skip =
        lines.size() > kMaxNewLinesPerTick ? lines.size() - kMaxNewLinesPerTick : 0;
    update.changed = true;
    update.appended.assign(std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(skip)),
                           std::make_move_iterator(lines.end()));
    lines_.insert(lines_.end(), update.appended.begin(), update.appended.end());
    while (lines_.size() > kMaxLines)
    {
        lines_.pop_front();
        ++update.removedFromFront;
    }
    selected_ = static_cast<int>(lines_.size()) - 1;
    update.selected = selected_;
    return update;
}

std::optional<LoggedFrame> LogList::DecodeLine(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= lines_.size())
        return std::nullopt;
    return DecodeLoggedFrame(lines_[static_cast<std::size_t>(index)]);
}

void ShowLogUpdate(CListBox& list, const LogList::Update& update)
{
    if (list.m_hWnd == nullptr || !update.changed)
        return;
    CClientDC dc(&list);
    CFont* font = list.GetFont();
    CFont* old = font != nullptr ? dc.SelectObject(font) : nullptr;
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    int extent = list.GetHorizontalExtent();
    const int startExtent = extent;
    for (const std::string& line : update.appended)
    {
        list.AddString(line.c_str());
        extent = std::max(extent, static_cast<int>(dc.GetTextExtent(line).cx) + tm.tmAveCharWidth);
    }
    if (old != nullptr)
        dc.SelectObject(old);
    if (extent > startExtent)
        list.SetHorizontalExtent(extent);

    for (std::size_t i = 0; i < update.removedFromFront; ++i)
        list.DeleteString(0);
    list.SetCurSel(update.selected);
}
