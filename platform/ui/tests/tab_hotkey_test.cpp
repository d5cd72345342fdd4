// Tab control, hot-key control and path shortening.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

namespace {

class TabHost : public CDialog {
public:
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override
    {
        auto* h = reinterpret_cast<NMHDR*>(l);
        codes.push_back(h->code);
        if (h->code == TCN_SELCHANGING) {
            *result = veto ? 1 : 0;
            return TRUE;
        }
        return CDialog::OnNotify(w, l, result);
    }
    std::vector<UINT> codes;
    bool veto = false;
};

DialogTemplate TabTemplate()
{
    DialogTemplate t;
    t.id = 9600;
    t.caption = "Анализатор";
    t.rect = CRect(0, 0, 220, 140);
    t.items = {{"SysTabControl32", 1000, "", WS_VISIBLE | WS_TABSTOP, 0, CRect(5, 5, 215, 135)}};
    return t;
}

}  // namespace

TEST(TabControl, ClicksAskBeforeChangingAndCodeChangesAreSilent)
{
    uitest::EnsureApplication();
    TabHost host;
    ASSERT_TRUE(host.CreateIndirect(TabTemplate()));
    host.ShowWindow(SW_SHOW);
    auto* tabs = static_cast<CTabCtrl*>(host.GetDlgItem(1000));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), -1);
    EXPECT_EQ(tabs->GetRowCount(), 0);
    EXPECT_EQ(tabs->InsertItem(0, "Условие"), 0);
    EXPECT_EQ(tabs->InsertItem(1, "Данные"), 1);
    EXPECT_EQ(tabs->InsertItem(TCIF_TEXT | TCIF_PARAM, 9, "Результаты", -1, 77), 2);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(tabs->GetRowCount(), 1) << "Qt's tab bar keeps one row";
    EXPECT_EQ(tabs->SetCurSel(2), 0);
    EXPECT_EQ(tabs->SetCurSel(5), -1);
    EXPECT_TRUE(host.codes.empty());
    uitest::ProcessEvents();

    CRect second;
    ASSERT_TRUE(tabs->GetItemRect(1, &second));
    TCHITTESTINFO hit;
    hit.pt = second.CenterPoint();
    EXPECT_EQ(tabs->HitTest(&hit), 1);
    host.veto = true;
    uitest::ClickAt(tabs, second.CenterPoint());
    EXPECT_EQ(tabs->GetCurSel(), 2) << "a refused change keeps the tab";
    EXPECT_EQ(host.codes, (std::vector<UINT>{TCN_SELCHANGING}));
    host.veto = false;
    uitest::ClickAt(tabs, second.CenterPoint());
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(host.codes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGING, TCN_SELCHANGE}));

    char text[8];
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(tabs->GetItem(2, &item));
    EXPECT_EQ(item.lParam, 77);
    EXPECT_STREQ(text, "Рез") << "cut to the buffer on a character boundary";

    CRect client;
    tabs->GetClientRect(&client);
    CRect display = client;
    tabs->AdjustRect(FALSE, &display);
    EXPECT_GT(display.top, second.bottom - 1);
    tabs->AdjustRect(TRUE, &display);
    EXPECT_EQ(display, client);
    ASSERT_TRUE(uitest::RenderToPng(&host, uitest::OutputPath("platform_ui/tabs.png")));
}

TEST(HotKeyControl, KeepsTheKeyWithItsModifiers)
{
    uitest::EnsureApplication();
    DialogTemplate t = TabTemplate();
    t.items = {{"msctls_hotkey32", 1001, "", WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, CRect(5, 5, 100, 17)}};
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(t));
    host.ShowWindow(SW_SHOW);
    auto* key = static_cast<CHotKeyCtrl*>(host.GetDlgItem(1001));
    key->SetHotKey(VK_UP, HOTKEYF_CONTROL | HOTKEYF_EXT);
    WORD vk = 0;
    WORD mods = 0;
    key->GetHotKey(vk, mods);
    EXPECT_EQ(vk, VK_UP);
    EXPECT_EQ(mods, HOTKEYF_CONTROL | HOTKEYF_EXT);
    CString shown;
    key->GetWindowText(shown);
    EXPECT_EQ(shown, "Ctrl + Up");

    key->SetFocus();
    uitest::Key(key, VK_LEFT, uitest::Shift | uitest::Keypad);
    key->GetHotKey(vk, mods);
    EXPECT_EQ(vk, VK_LEFT);
    EXPECT_EQ(mods, HOTKEYF_SHIFT) << "the keypad's arrow is not extended";
}

TEST(CompactPath, KeepsTheFileNameAndFitsTheWidth)
{
    uitest::EnsureApplication();
    const CString path = "/home/user/Документы/измерения/2024/самописец/канал_A.uodl";
    const CString shortened = CompactPathToWidth(nullptr, path, 160);
    EXPECT_NE(shortened, path);
    EXPECT_NE(shortened.find("...", 0), std::string::npos);
    EXPECT_EQ(shortened.substr(shortened.size() - std::string("канал_A.uodl").size()), "канал_A.uodl");
    EXPECT_EQ(CompactPathToWidth(nullptr, "/tmp/a", 160), "/tmp/a");
}
