// The middle button reaches plain windows as WM_MBUTTON* messages; a double click only for
// classes that ask for double clicks.

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Middle : public CWnd {
public:
    explicit Middle(bool dblclks)
    {
        WNDCLASS wc;
        wc.style = dblclks ? CS_DBLCLKS : 0;
        wc.lpszClassName = dblclks ? "MiddleDbl" : "MiddlePlain";
        AfxRegisterClass(&wc);
        className = wc.lpszClassName;
    }
    afx_msg void OnMButtonDown(UINT flags, CPoint p)
    {
        events.push_back(std::string("down ") + ((flags & MK_MBUTTON) != 0 ? "held " : "") + std::to_string(p.x) + "," + std::to_string(p.y));
    }
    afx_msg void OnMButtonUp(UINT, CPoint) { events.push_back("up"); }
    afx_msg void OnMButtonDblClk(UINT, CPoint) { events.push_back("dblclk"); }
    afx_msg void OnLButtonDown(UINT, CPoint) { events.push_back("left"); }
    const char* className;
    std::vector<std::string> events;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Middle, CWnd)
    ON_WM_MBUTTONDOWN()
    ON_WM_MBUTTONUP()
    ON_WM_MBUTTONDBLCLK()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

}  // namespace

TEST(MiddleButton, PressReleaseAndDoubleClick)
{
    uitest::EnsureApplication();
    DialogTemplate t;
    t.id = 9410;
    t.rect = CRect(0, 0, 200, 120);
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(t));
    for (bool dblclks : {true, false}) {
        Middle w(dblclks);
        ASSERT_TRUE(w.Create(w.className, "", WS_CHILD | WS_VISIBLE, CRect(5, 5, 105, 65), &host, 100));
        host.ShowWindow(SW_SHOW);
        uitest::MiddleClickAt(&w, CPoint(10, 20));
        uitest::MiddleDoubleClickAt(&w, CPoint(3, 4));
        const std::vector<std::string> expected =
            dblclks ? std::vector<std::string>{"down held 10,20", "up", "down held 3,4", "up", "dblclk", "up"}
                    : std::vector<std::string>{"down held 10,20", "up", "down held 3,4", "up", "down held 3,4", "up"};
        EXPECT_EQ(w.events, expected) << dblclks;
        w.DestroyWindow();
    }
}
