// The tab control with pages: which page shows, where, with which focus; hooks and routing.

#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "widgets/tabs/TabCtrlSSL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kTabId = 1119;
constexpr int kButtonId = 1200;
constexpr int kFirstEdit = 1201;
constexpr int kSecondEdit = 1202;

// A page as the decoders' pages are: a child dialog with a few controls.
DialogTemplate PageTemplate()
{
    DialogTemplate t;
    t.id = 9901;
    t.style = WS_CHILD;
    t.rect = CRect(0, 0, 150, 80);
    t.items = {{"Edit", kFirstEdit, "", WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, CRect(5, 5, 80, 17)},
               {"Edit", kSecondEdit, "", WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, CRect(5, 22, 80, 34)},
               {"Button", kButtonId, "Обработка", WS_VISIBLE | WS_TABSTOP, 0, CRect(5, 40, 80, 54)}};
    return t;
}

DialogTemplate HostTemplate(DWORD tabStyle)
{
    DialogTemplate t;
    t.id = 9900;
    t.caption = "Анализатор асинхронных интерфейсов";
    t.rect = CRect(0, 0, 220, 140);
    t.items = {{"SysTabControl32", kTabId, "", WS_VISIBLE | WS_TABSTOP | tabStyle, 0, CRect(5, 5, 215, 135)}};
    return t;
}

std::vector<std::string>* pageLog = nullptr;

class Page : public CTabPageSSL {
public:
    explicit Page(const char* name) : name_(name) {}
    ~Page() override
    {
        if (pageLog != nullptr) pageLog->push_back("deleted " + name_);
    }

private:
    std::string name_;
};

class RecordingTabs : public CTabCtrlSSL {
public:
    std::vector<std::string> log;
    BOOL initResult = TRUE;

protected:
    BOOL OnPageInit(int index, int id) override
    {
        log.push_back(StringFormat("init %d %d", index, id));
        return initResult;
    }
    void OnPageActivate(int index, int id) override { log.push_back(StringFormat("activate %d %d", index, id)); }
    void OnPageDeactivate(int index, int id) override { log.push_back(StringFormat("deactivate %d %d", index, id)); }
    void OnPageDestroy(int index, int id) override { log.push_back(StringFormat("destroy %d %d", index, id)); }
};

class Host : public CDialog {
public:
    int clicks = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnButton() { ++clicks; }
};

BEGIN_MESSAGE_MAP(Host, CDialog)
    ON_BN_CLICKED(kButtonId, &Host::OnButton)
END_MESSAGE_MAP()

class TabsTest : public ::testing::Test {
protected:
    void Build(DWORD tabStyle = 0)
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(host.CreateIndirect(HostTemplate(tabStyle)));
        host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(tabs.SubclassDlgItem(kTabId, &host));
        const char* titles[] = {"Условия", "Данные", "Отображение"};
        for (int i = 0; i < 3; ++i) {
            pages[i] = new Page(titles[i]);
            ASSERT_TRUE(pages[i]->CreateIndirect(PageTemplate(), &host));
            EXPECT_EQ(tabs.AddPage(titles[i], 10 + i, pages[i], 1), i);
        }
        uitest::ProcessEvents();
    }
    void TearDown() override
    {
        if (host.m_hWnd != nullptr) host.DestroyWindow();
        uitest::ProcessEvents();
    }
    void ClickTab(int index)
    {
        CRect item;
        ASSERT_TRUE(tabs.GetItemRect(index, &item));
        uitest::ClickAt(&tabs, item.CenterPoint());
    }
    std::vector<bool> Shown()
    {
        std::vector<bool> shown;
        for (Page* p : pages) shown.push_back(p->IsWindowVisible() != FALSE);
        return shown;
    }
    CRect PlaceOf(CWnd* page)
    {
        CRect r;
        page->GetWindowRect(&r);
        tabs.ScreenToClient(&r);
        return r;
    }
    Host host;
    RecordingTabs tabs;
    Page* pages[3] = {};
};

}  // namespace

TEST_F(TabsTest, OnlyTheCurrentPageShowsAndCodeSwitchesWithoutHooks)
{
    Build();
    EXPECT_EQ(tabs.GetItemCount(), 3);
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(tabs.log, (std::vector<std::string>{"init 0 10", "init 1 11", "init 2 12"}));
    EXPECT_EQ(pages[1]->GetParent(), &tabs);

    tabs.log.clear();
    EXPECT_TRUE(tabs.SetActivePage(0)) << "the current tab";
    EXPECT_FALSE(tabs.SetActivePage(3)) << "the tab count is no tab";
    EXPECT_FALSE(tabs.SetActivePage(-1));
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(tabs.SetActivePage(2));
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(tabs.log.empty()) << "SetActivePage calls no hooks";

    // A click on a tab: the old page goes with its hook, then the new one comes with its own.
    ClickTab(1);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(tabs.log, (std::vector<std::string>{"deactivate 2 12", "activate 1 11"}));
    ClickTab(1);
    EXPECT_EQ(tabs.log.size(), 2u) << "a click on the current tab changes nothing";
}

TEST_F(TabsTest, SwitchingBackRestoresTheFocus)
{
    Build();
    CWnd* second = pages[0]->GetDlgItem(kSecondEdit);
    second->SetFocus();
    ASSERT_EQ(CWnd::GetFocus(), second);
    ClickTab(1);
    EXPECT_EQ(CWnd::GetFocus(), pages[1]->GetDlgItem(kFirstEdit)) << "a page first shown focuses its first child";
    ClickTab(0);
    EXPECT_EQ(CWnd::GetFocus(), second);

    // The same through SetActivePage.
    EXPECT_TRUE(tabs.SetActivePage(2));
    EXPECT_TRUE(tabs.SetActivePage(0));
    EXPECT_EQ(CWnd::GetFocus(), second);

    // A remembered window that no longer lies in its page is not used.
    EXPECT_TRUE(tabs.SetActivePage(2));
    pages[2]->GetDlgItem(kSecondEdit)->SetFocus();
    EXPECT_TRUE(tabs.SetActivePage(1));
    pages[2]->GetDlgItem(kSecondEdit)->DestroyWindow();
    EXPECT_TRUE(tabs.SetActivePage(2));
    EXPECT_EQ(CWnd::GetFocus(), pages[2]->GetDlgItem(kFirstEdit));
}

TEST_F(TabsTest, PagesFillTheDisplayAreaForEveryTabPlacement)
{
    struct Case {
        DWORD style;
        bool vertical;
        bool far;
    };
    const Case cases[] = {{0, false, false}, {TCS_BOTTOM, false, true}, {TCS_VERTICAL, true, false}, {TCS_VERTICAL | TCS_RIGHT, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        if (host.m_hWnd != nullptr) host.DestroyWindow();
        Build(c.style);
        CRect client;
        tabs.GetClientRect(&client);
        CRect item;
        ASSERT_TRUE(tabs.GetItemRect(0, &item));
        EXPECT_EQ(tabs.GetRowCount(), 1);
        const int band = c.vertical ? item.Width() : item.Height();
        const CRect page = PlaceOf(pages[0]);
        if (c.vertical) {
            EXPECT_EQ(page.left, c.far ? 4 : band + 4);
            EXPECT_EQ(page.top, 4);
            EXPECT_EQ(page.Width(), client.Width() - band - 8);
            EXPECT_EQ(page.Height(), client.Height() - 8);
        } else {
            EXPECT_EQ(page.left, 4);
            EXPECT_EQ(page.top, c.far ? 4 : band + 4);
            EXPECT_EQ(page.Width(), client.Width() - 8);
            EXPECT_EQ(page.Height(), client.Height() - band - 8);
        }
        // A page shown later is laid out the same.
        ASSERT_TRUE(tabs.SetActivePage(2));
        EXPECT_EQ(PlaceOf(pages[2]), page);
        const char* names[] = {"top", "bottom", "left", "right"};
        ASSERT_TRUE(uitest::RenderToPng(&host, uitest::OutputPath(std::string("widgets_tabs/tabs_") + names[&c - cases] + ".png")));
    }
}

TEST_F(TabsTest, APageWithoutWindowGetsNoTab)
{
    Build();
    Page unmade("unmade");
    EXPECT_EQ(tabs.AddPage("Результаты", 13, &unmade, 0), -1);
    EXPECT_EQ(tabs.AddPage("Результаты", 13, nullptr, 0), -1);
    EXPECT_EQ(tabs.GetItemCount(), 3);
    EXPECT_EQ(tabs.GetPageCount(), 3);
    EXPECT_FALSE(tabs.SetActivePage(3));
}

TEST_F(TabsTest, DestructionDeletesTheFlaggedPagesFromTheLast)
{
    std::vector<std::string> log;
    pageLog = &log;
    Build();
    Page owned("Результаты");
    ASSERT_TRUE(owned.CreateIndirect(PageTemplate(), &host));
    EXPECT_EQ(tabs.AddPage("Результаты", 13, &owned, 0), 3);
    EXPECT_FALSE(owned.IsWindowVisible());
    host.DestroyWindow();
    pageLog = nullptr;
    EXPECT_EQ(owned.m_hWnd, nullptr) << "its window went, the object is its owner's";
    const std::vector<std::string> hooks(tabs.log.begin() + 4, tabs.log.end());
    EXPECT_EQ(hooks, (std::vector<std::string>{"destroy 3 13", "destroy 2 12", "destroy 1 11", "destroy 0 10"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "deleted Отображение"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "deleted Условия"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "deleted Результаты"), 0);
}

TEST_F(TabsTest, PagesRouteCommandsOnlyWhenAsked)
{
    Build();
    uitest::Click(pages[0]->GetDlgItem(kButtonId));
    EXPECT_EQ(host.clicks, 0);
    pages[0]->m_bRouteCommand = true;
    uitest::Click(pages[0]->GetDlgItem(kButtonId));
    EXPECT_EQ(host.clicks, 1) << "page, tab control, then the window around them";
}
