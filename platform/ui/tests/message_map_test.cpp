// Message routing: maps, reflection, PreTranslateMessage, handles, timers.

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WndImpl.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> trace;

DialogTemplate SmallDialog(const char* caption = "Проверка")
{
    DialogTemplate t;
    t.id = 9000;
    t.caption = caption;
    t.rect = CRect(0, 0, 160, 90);
    DialogItemTemplate ok{"Button", IDOK, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON | WS_VISIBLE, 0, CRect(10, 70, 60, 84)};
    DialogItemTemplate button{"Button", 1000, "Кнопка", WS_TABSTOP | WS_VISIBLE, 0, CRect(10, 10, 70, 24)};
    DialogItemTemplate edit{"Edit", 1001, "", WS_TABSTOP | WS_BORDER | WS_VISIBLE, 0, CRect(10, 30, 100, 42)};
    DialogItemTemplate spin{"msctls_updown32", 1002, "", WS_VISIBLE, 0, CRect(110, 30, 120, 44)};
    t.items = {button, edit, spin, ok};
    return t;
}

class BaseDialog : public CDialog {
public:
    void OnButtonInBase() { trace.push_back("base"); }
    LRESULT OnAppInBase(WPARAM, LPARAM) { return 55; }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDialog, CDialog)
    ON_BN_CLICKED(1000, &BaseDialog::OnButtonInBase)
    ON_MESSAGE(WM_APP + 5, &BaseDialog::OnAppInBase)
END_MESSAGE_MAP()

class RoutedDialog : public BaseDialog {
public:
    void OnFirst() { trace.push_back("first"); }
    void OnSecond() { trace.push_back("second"); }
    void OnDelta(NMHDR* header, LRESULT* result)
    {
        auto* ud = reinterpret_cast<NMUPDOWN*>(header);
        trace.push_back("delta " + std::to_string(ud->iPos) + " " + std::to_string(ud->iDelta));
        *result = refuseSpin ? 1 : 0;
    }
    LRESULT OnApp(WPARAM w, LPARAM l)
    {
        trace.push_back("app " + std::to_string(w) + " " + std::to_string(l));
        return 77;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN) trace.push_back("dialog pretranslate " + std::to_string(msg->wParam));
        if (msg->message == WM_KEYDOWN && msg->wParam == 'Q') return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }
    bool refuseSpin = false;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutedDialog, BaseDialog)
    ON_BN_CLICKED(1000, &RoutedDialog::OnFirst)
    ON_BN_CLICKED(1000, &RoutedDialog::OnSecond)
    ON_NOTIFY(UDN_DELTAPOS, 1002, &RoutedDialog::OnDelta)
    ON_MESSAGE(WM_APP + 1, &RoutedDialog::OnApp)
END_MESSAGE_MAP()

// A button that handles its own click (reflection) and watches keys aimed at it.
class ReflectingButton : public CButton {
public:
    void OnClickedHere() { trace.push_back("reflected"); }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN) trace.push_back("button pretranslate " + std::to_string(msg->wParam));
        return FALSE;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, &ReflectingButton::OnClickedHere)
END_MESSAGE_MAP()

class MessageMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        trace.clear();
    }
    void TearDown() override { uitest::ProcessEvents(); }
};

}  // namespace

TEST_F(MessageMap, FirstMatchingEntryWinsAndDerivedMapsComeFirst)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    uitest::Click(dlg.GetDlgItem(1000));
    EXPECT_EQ(trace, (std::vector<std::string>{"first"}));

    trace.clear();
    EXPECT_EQ(dlg.SendMessage(WM_APP + 1, 3, 4), 77);
    EXPECT_EQ(trace, (std::vector<std::string>{"app 3 4"}));
    // A message only the base class maps reaches the base handler.
    EXPECT_EQ(dlg.SendMessage(WM_APP + 5, 0, 0), 55);
    // Unmapped messages go to the default handling.
    EXPECT_EQ(dlg.SendMessage(WM_APP + 9, 0, 0), 0);
}

TEST_F(MessageMap, ReflectedNotificationIsHandledByTheControlNotItsParent)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    ReflectingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(1000, &dlg));
    uitest::Click(&button);
    EXPECT_EQ(trace, (std::vector<std::string>{"reflected"}));
}

TEST_F(MessageMap, SpinNotifiesEvenAtTheEndsAndAnswerOneSuppressesTheMove)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    auto* spin = static_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(1002));
    spin->SetRange32(0, 2);
    spin->SetPos32(1);
    EXPECT_TRUE(trace.empty()) << "changes from code notify nobody";

    uitest::ClickSpin(spin, true);
    EXPECT_EQ(spin->GetPos32(), 2);
    uitest::ClickSpin(spin, true);  // already at the upper end: still notified
    EXPECT_EQ(spin->GetPos32(), 2);
    dlg.refuseSpin = true;
    uitest::ClickSpin(spin, false);
    EXPECT_EQ(spin->GetPos32(), 2) << "answer 1 keeps the position";
    EXPECT_EQ(trace, (std::vector<std::string>{"delta 1 1", "delta 2 1", "delta 2 -1"}));
}

TEST_F(MessageMap, PreTranslateRunsForTheTargetFirstThenItsParents)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    ReflectingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(1000, &dlg));
    button.SetFocus();
    uitest::Key(&button, VK_UP);
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0], "button pretranslate 38");
    EXPECT_EQ(trace[1], "dialog pretranslate 38");

    // A message consumed by the parent's PreTranslateMessage never reaches the control.
    trace.clear();
    uitest::Key(&button, 'Q');
    EXPECT_EQ(trace, (std::vector<std::string>{"button pretranslate 81", "dialog pretranslate 81"}));
}

namespace {
class KeyWatcher : public CDialog {
public:
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) keys.push_back(*msg);
        return CDialog::PreTranslateMessage(msg);
    }
    std::vector<MSG> keys;
};
}  // namespace

TEST_F(MessageMap, KeyMessagesCarryVirtualKeysAndTheExtendedBit)
{
    KeyWatcher dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    CWnd* edit = dlg.GetDlgItem(1001);
    edit->SetFocus();
    uitest::Key(edit, VK_LEFT);                        // navigation cluster: extended
    uitest::Key(edit, VK_LEFT, uitest::Keypad);    // keypad 4 without NumLock: not extended
    uitest::Key(edit, VK_F1 + 4);
    uitest::Key(edit, 'X', uitest::Alt);
    ASSERT_EQ(dlg.keys.size(), 4u);
    EXPECT_EQ(dlg.keys[0].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_NE(dlg.keys[0].lParam & KF_EXTENDED_BIT, 0);
    EXPECT_EQ(dlg.keys[1].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_EQ(dlg.keys[1].lParam & KF_EXTENDED_BIT, 0);
    EXPECT_EQ(dlg.keys[2].wParam, static_cast<WPARAM>(VK_F1 + 4));
    EXPECT_EQ(dlg.keys[3].message, WM_SYSKEYDOWN);
    EXPECT_EQ(dlg.keys[3].wParam, static_cast<WPARAM>('X'));
    EXPECT_EQ(dlg.keys[0].hwnd, edit->m_hWnd);
}

TEST_F(MessageMap, HandlesRoundTripThroughTextAndStaleOnesFindNothing)
{
    auto* dlg = new RoutedDialog();
    ASSERT_TRUE(dlg->CreateIndirect(SmallDialog()));
    CWnd* button = dlg->GetDlgItem(1000);
    ASSERT_NE(button, nullptr);
    char text[32];
    std::snprintf(text, sizeof text, "0x%X", HandleToId(button->m_hWnd));
    unsigned parsed = 0;
    ASSERT_EQ(std::sscanf(text, "0x%X", &parsed), 1);
    EXPECT_EQ(CWnd::FromHandle(IdToHandle<HWND>(parsed)), button);
    EXPECT_EQ(CWnd::FromHandle(IdToHandle<HWND>(parsed))->GetDlgCtrlID(), 1000);

    EXPECT_EQ(CWnd::FromHandle(IdToHandle<HWND>(0x1234)), nullptr);
    EXPECT_EQ(CWnd::FromHandle(IdToHandle<HWND>(0xFFFFFFFFu)), nullptr);
    EXPECT_FALSE(IsWindow(IdToHandle<HWND>(0x1234)));

    const HWND stale = dlg->m_hWnd;
    delete dlg;
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(CWnd::FromHandle(IdToHandle<HWND>(parsed)), nullptr);
    EXPECT_EQ(SendMessage(stale, WM_APP + 1, 0, 0), 0);
}

namespace {
class TickingDialog : public CDialog {
public:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(7, 1);
        return TRUE;
    }
    afx_msg void OnTimer(UINT_PTR id)
    {
        if (id != 7) return;
        if (++ticks == 3) {
            // A nested modal loop: the timer keeps firing inside the message box.
            uitest::OnNextModal([this](uihooks::ModalContext& box) {
                ticksWhenBoxOpened = ticks;
                boxCaption = box.caption;
                closer = [this, box] {
                    if (ticks >= ticksWhenBoxOpened + 3) box.End(IDOK);
                };
            });
            inBox = true;
            MessageBox("Пауза", "Таймер", MB_OK);
            inBox = false;
            KillTimer(7);
            EndDialog(IDOK);
            return;
        }
        if (inBox && closer) closer();
    }
    int ticks = 0;
    int ticksWhenBoxOpened = -1;
    bool inBox = false;
    std::string boxCaption;
    std::function<void()> closer;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TickingDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()
}  // namespace

TEST_F(MessageMap, TimersFireInsideModalLoopsAndNestedMessageBoxes)
{
    TickingDialog dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(SmallDialog()));
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.ticksWhenBoxOpened, 3);
    EXPECT_GE(dlg.ticks, 6);
    EXPECT_EQ(dlg.boxCaption, "Таймер");
    EXPECT_FALSE(dlg.KillTimer(7)) << "the window is gone";
}

TEST_F(MessageMap, KillingATimerThatIsNotRunningIsHarmless)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    EXPECT_FALSE(dlg.KillTimer(3));
    EXPECT_EQ(dlg.SetTimer(0, 200), 1u);
    EXPECT_TRUE(dlg.KillTimer(0));
    EXPECT_FALSE(dlg.KillTimer(0));
}

TEST_F(MessageMap, PostedMessagesArriveLaterOnTheUiThread)
{
    RoutedDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    EXPECT_TRUE(dlg.PostMessage(WM_APP + 1, 5, 6));
    EXPECT_TRUE(trace.empty());
    uitest::ProcessEvents();
    EXPECT_EQ(trace, (std::vector<std::string>{"app 5 6"}));
}

TEST(KeyTranslation, LettersOfANonLatinLayoutKeepTheirPlacesVirtualKeys)
{
    // The key right of Tab, typed with a Russian layout, is still 'Q' (X keycode 24).
    const auto t = uiimpl::TranslateKey(0x0419 /* Й */, Qt::NoModifier, 24);
    EXPECT_EQ(t.vk, 'Q');
    EXPECT_EQ(uiimpl::TranslateKey(0x0424 /* Ф */, Qt::ControlModifier, 38).vk, 'A');
    EXPECT_EQ(uiimpl::TranslateKey(0x0424 /* Ф */, Qt::NoModifier, 0).vk, 0) << "no place known";
    EXPECT_EQ(uiimpl::TranslateKey(Qt::Key_Home, Qt::NoModifier).extended, true);
    EXPECT_EQ(uiimpl::TranslateKey(Qt::Key_Home, Qt::KeypadModifier).extended, false);
    EXPECT_EQ(uiimpl::TranslateKey(Qt::Key_Enter, Qt::KeypadModifier).vk, VK_RETURN);
}

namespace {
// A main window whose map serves a control id that exists in two windows; the sending control
// tells them apart.
class MainWithForwarding : public CDialog {
public:
    void On1074()
    {
        const MSG* msg = GetCurrentMessage();
        CWnd* sender = msg != nullptr ? CWnd::FromHandle(reinterpret_cast<HWND>(msg->lParam)) : nullptr;
        if (sender != nullptr && sender->GetParent() == this) trace.push_back("zero channel A");
        else trace.push_back("keep trigger offset visible");
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MainWithForwarding, CDialog)
    ON_BN_CLICKED(1074, &MainWithForwarding::On1074)
END_MESSAGE_MAP()

class ForwardingTool : public CDialog {
public:
    BOOL OnCommand(WPARAM w, LPARAM l) override
    {
        GetParent()->SendMessage(WM_COMMAND, w, l);
        return CDialog::OnCommand(w, l);
    }
};
}  // namespace

TEST_F(MessageMap, ForwardedCommandsCarryTheSendingControl)
{
    DialogTemplate t = SmallDialog();
    t.items = {{"Button", 1074, "0", WS_VISIBLE, 0, CRect(5, 5, 30, 19)}};
    MainWithForwarding main;
    ASSERT_TRUE(main.CreateIndirect(t));
    ForwardingTool settings;
    t.items[0].text = "Не прятать смещение триггера";
    t.items[0].style |= BS_AUTOCHECKBOX;
    ASSERT_TRUE(settings.CreateIndirect(t, &main));
    main.ShowWindow(SW_SHOW);
    settings.ShowWindow(SW_SHOW);
    uitest::Click(main.GetDlgItem(1074));
    uitest::Click(settings.GetDlgItem(1074));
    EXPECT_EQ(trace, (std::vector<std::string>{"zero channel A", "keep trigger offset visible"}));
}

namespace {
class MoveWatcher : public CDialog {
public:
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_MOUSEMOVE) moves++;
        return CDialog::PreTranslateMessage(msg);
    }
    int moves = 0;
};
}  // namespace

TEST_F(MessageMap, EveryMouseMoveIsTranslatedOnce)
{
    MoveWatcher dlg;
    ASSERT_TRUE(dlg.CreateIndirect(SmallDialog()));
    dlg.ShowWindow(SW_SHOW);
    CWnd* edit = dlg.GetDlgItem(1001);
    for (int x = 2; x < 5; ++x) uitest::MouseMove(edit, CPoint(x, 3));
    EXPECT_EQ(dlg.moves, 3) << "none lost, none doubled by propagation to the parents";
}
