// Tab control, hot-key control and path shortening.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WndImpl.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <set>
#include <string>

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

namespace {

// A shown dialog holding one hotkey field, id 1001; null when the dialog could not be made.
CHotKeyCtrl* ShowHotKeyField(CDialog& host)
{
    uitest::EnsureApplication();
    DialogTemplate t = TabTemplate();
    t.items = {{"msctls_hotkey32", 1001, "", WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0, CRect(5, 5, 100, 17)}};
    if (!host.CreateIndirect(t)) return nullptr;
    host.ShowWindow(SW_SHOW);
    return static_cast<CHotKeyCtrl*>(host.GetDlgItem(1001));
}

}  // namespace

TEST(HotKeyControl, KeepsTheKeyWithItsModifiers)
{
    CDialog host;
    CHotKeyCtrl* key = ShowHotKeyField(host);
    ASSERT_NE(key, nullptr);
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

namespace {

class HotKeyHost : public CDialog {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == EN_CHANGE) ++changes;
        return CDialog::OnCommand(wParam, lParam);
    }
    int changes = 0;
};

}  // namespace

TEST(HotKeyControl, BackspaceEmptiesTheField)
{
    HotKeyHost host;
    CHotKeyCtrl* key = ShowHotKeyField(host);
    ASSERT_NE(key, nullptr);
    for (const int modifiers : {0, int{uitest::Control}, uitest::Shift | uitest::Alt}) {
        SCOPED_TRACE(modifiers);
        key->SetHotKey(VK_UP, HOTKEYF_CONTROL | HOTKEYF_EXT);
        const int changes = host.changes;
        uitest::Key(key, VK_BACK, modifiers);
        EXPECT_EQ(key->GetHotKey(), 0u);
        CString shown;
        key->GetWindowText(shown);
        EXPECT_EQ(shown, "Нет");
        EXPECT_EQ(host.changes, changes + 1) << "the user changed the key";
    }
}

// The Menu key is a key like any other to the field: it becomes the hotkey, and the context menu
// the window system asks for with it opens nothing (the field has no text menu to offer).
TEST(HotKeyControl, TheMenuKeyIsTakenAndOpensNoMenu)
{
    HotKeyHost host;
    CHotKeyCtrl* key = ShowHotKeyField(host);
    ASSERT_NE(key, nullptr);
    key->SetFocus();
    // The window system makes the window the active one, with the field its focus.
    uitest::ProcessEvents();
    ASSERT_EQ(CWnd::GetFocus(), key);
    uitest::Key(key, VK_APPS, uitest::Control);
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_EQ(popup, nullptr) << "a menu opened over the field";
    if (popup != nullptr) popup->close();
    WORD vk = 0;
    WORD mods = 0;
    key->GetHotKey(vk, mods);
    EXPECT_EQ(vk, VK_APPS);
    EXPECT_EQ(mods, HOTKEYF_CONTROL | HOTKEYF_EXT);
    CString shown;
    key->GetWindowText(shown);
    EXPECT_EQ(shown, "Ctrl + Menu");
    EXPECT_EQ(host.changes, 1);
}

TEST(HotKeyControl, EveryKeyItHoldsIsShownByName)
{
    CDialog host;
    CHotKeyCtrl* key = ShowHotKeyField(host);
    ASSERT_NE(key, nullptr);
    auto shown = [&] {
        CString text;
        key->GetWindowText(text);
        return text;
    };

    // Every key the keyboard can give the field, on the main block or on the keypad, is kept
    // and named.
    std::set<int> given;
    for (int qtKey = 0x20; qtKey < 0x7F; ++qtKey)
        for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::KeypadModifier)})
            if (const int vk = uiimpl::TranslateKey(qtKey, mods).vk) given.insert(vk);
    for (int qtKey = Qt::Key_Escape; qtKey <= Qt::Key_Direction_R; ++qtKey)
        for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::KeypadModifier)})
            if (const int vk = uiimpl::TranslateKey(qtKey, mods).vk) given.insert(vk);
    for (quint32 xKeycode = 8; xKeycode < 256; ++xKeycode)
        if (const int vk = uiimpl::TranslateKey(Qt::Key_unknown, {}, xKeycode).vk) given.insert(vk);
    ASSERT_GT(given.size(), 100u);
    for (const int vk : given) {
        for (const WORD ext : {WORD(0), WORD(HOTKEYF_EXT)}) {
            SCOPED_TRACE(std::to_string(vk) + (ext != 0 ? " extended" : ""));
            key->SetHotKey(static_cast<WORD>(vk), static_cast<WORD>(HOTKEYF_ALT | ext));
            WORD held = 0;
            WORD mods = 0;
            key->GetHotKey(held, mods);
            EXPECT_EQ(held, vk);
            EXPECT_EQ(shown().rfind("Alt + ", 0), 0u) << shown();
            EXPECT_GT(shown().size(), std::string("Alt + ").size()) << shown();
        }
    }

    // Any other key, as a damaged settings file may hold, is refused: never shown as a number.
    for (int vk = 1; vk < 256; ++vk) {
        SCOPED_TRACE(vk);
        key->SetHotKey(static_cast<WORD>(vk), HOTKEYF_CONTROL);
        const CString text = shown();
        EXPECT_EQ(text.find("0x"), std::string::npos) << text;
        if (given.count(vk) == 0) {
            EXPECT_EQ(key->GetHotKey(), 0u);
            EXPECT_EQ(text, "Нет");
        }
    }
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
