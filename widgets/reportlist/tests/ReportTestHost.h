#pragma once
// A dialog holding one report list, as the tool windows hold theirs, that records what the list
// tells it.

#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "widgets/reportlist/ReportCtrl.h"

#include <functional>
#include <vector>

struct ReportMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const ReportMessage& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};

class ReportHost : public CDialog {
public:
    std::vector<ReportMessage> messages;
    // Run inside the handler of each message, after it is recorded.
    std::function<void(const ReportMessage&)> onMessage;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg LRESULT OnSelect(WPARAM w, LPARAM l) { return Record(WM_REPORTCTRL_SELECT, w, l); }
    afx_msg LRESULT OnSorted(WPARAM w, LPARAM l) { return Record(WM_REPORTCTRL_SORTED, w, l); }
    afx_msg LRESULT OnEdited(WPARAM w, LPARAM l) { return Record(WM_REPORTCTRL_EDITED, w, l); }

private:
    LRESULT Record(UINT m, WPARAM w, LPARAM l)
    {
        messages.push_back({m, w, l});
        if (onMessage) onMessage(messages.back());
        return 0;
    }
};

inline const AFX_MSGMAP* ReportHost::GetMessageMap() const { return GetThisMessageMap(); }
inline const AFX_MSGMAP* ReportHost::GetThisMessageMap()
{
    using ThisClass = ReportHost;
    static const AFX_MSGMAP_ENTRY entries[] = {
        ON_MESSAGE(WM_REPORTCTRL_SELECT, &ReportHost::OnSelect)
        ON_MESSAGE(WM_REPORTCTRL_SORTED, &ReportHost::OnSorted)
        ON_MESSAGE(WM_REPORTCTRL_EDITED, &ReportHost::OnEdited)
        {0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CDialog::GetThisMessageMap, &entries[0]};
    return &map;
}

// The list as the program's templates declare it; the report list makes it a report view.
inline DialogTemplate ReportTemplate(int width = 260, int height = 130)
{
    DialogTemplate t;
    t.id = 9800;
    t.caption = "Маркеры";
    t.rect = CRect(0, 0, width, height);
    t.items = {{"SysListView32", 1053, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_ALIGNLEFT, 0,
                CRect(5, 5, width - 5, height - 5)}};
    return t;
}

// A cell's centre and the centre of a row's check box, in the list's client coordinates.
inline CPoint CellCentre(CListCtrl& list, int row, int column)
{
    CRect r;
    list.GetSubItemRect(row, column, LVIR_LABEL, r);
    return r.CenterPoint();
}

inline CPoint CheckBoxOf(CListCtrl& list, int row)
{
    CRect r;
    list.GetSubItemRect(row, 0, LVIR_BOUNDS, r);
    return CPoint(r.left + 9, (r.top + r.bottom) / 2);
}
