// Number-only edits and the spins beside them, worked as a user works them: keys typed and
// text pasted into the edit, the arrow keys and arrow buttons, and what the edit shows once
// the program has read the spin.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kNumber = 50;      // ES_NUMBER edit, buddy of kSpin
constexpr int kSpin = 51;        // UDS_ARROWKEYS
constexpr int kOtherEdit = 52;   // plain edit, buddy of kOtherSpin
constexpr int kOtherSpin = 53;   // no UDS_ARROWKEYS
constexpr int kPlain = 54;       // plain edit without a spin

class NumberPanel : public CDialog {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_VSCROLL) {
            auto* from = CWnd::FromHandle(reinterpret_cast<HWND>(lParam));
            trace.push_back("scroll " + std::to_string(from != nullptr ? from->GetDlgCtrlID() : 0) + " " +
                            std::to_string(LOWORD(wParam)) + " " + std::to_string(static_cast<short>(HIWORD(wParam))));
        }
        if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) ++changes[LOWORD(wParam)];
        return CDialog::WindowProc(message, wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        auto* h = reinterpret_cast<NMHDR*>(lParam);
        if (h->code == UDN_DELTAPOS) {
            auto* nm = reinterpret_cast<NMUPDOWN*>(lParam);
            trace.push_back("delta " + std::to_string(h->idFrom) + " " + std::to_string(nm->iPos) + " " + std::to_string(nm->iDelta));
            *result = refuseSteps ? 1 : 0;
            return TRUE;
        }
        return CDialog::OnNotify(wParam, lParam, result);
    }
    void OnOK() override {}
    void OnCancel() override {}

    std::vector<std::string> trace;
    std::map<int, int> changes;
    bool refuseSteps = false;
};

DialogTemplate NumberTemplate()
{
    const DWORD spin = UDS_SETBUDDYINT | UDS_AUTOBUDDY | UDS_ALIGNRIGHT | WS_VISIBLE;
    DialogTemplate t;
    t.id = 9700;
    t.caption = "Числа";
    t.rect = CRect(0, 0, 200, 80);
    t.items = {
        {"Edit", kNumber, "", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 60, 17)},
        {"msctls_updown32", kSpin, "", spin | UDS_ARROWKEYS, 0, CRect(60, 5, 70, 17)},
        {"Edit", kOtherEdit, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 25, 60, 37)},
        {"msctls_updown32", kOtherSpin, "", spin, 0, CRect(60, 25, 70, 37)},
        {"Edit", kPlain, "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 45, 60, 57)},
    };
    return t;
}

class NumberSpin : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(panel.CreateIndirect(NumberTemplate()));
        panel.SetWindowPos(nullptr, 0, 0, 320, 160, SWP_NOMOVE | SWP_NOZORDER);
        panel.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        number = panel.GetDlgItem(kNumber);
        spin = static_cast<CSpinButtonCtrl*>(panel.GetDlgItem(kSpin));
        ASSERT_NE(number, nullptr);
        ASSERT_NE(spin, nullptr);
        ASSERT_EQ(spin->GetBuddy(), number);
    }
    void TearDown() override
    {
        panel.DestroyWindow();
        uitest::ProcessEvents();
    }

    CString Shown(CWnd* edit) const
    {
        CString text;
        edit->GetWindowText(text);
        return text;
    }

    void Paste(CWnd* edit, const std::string& text)
    {
        uitest::SetClipboardText(text);
        uitest::Key(edit, 'V', uitest::Control);
    }

    NumberPanel panel;
    CWnd* number = nullptr;
    CSpinButtonCtrl* spin = nullptr;
};

}  // namespace

TEST_F(NumberSpin, ANumberEditTakesDigitsOnlyTypedOrPasted)
{
    uitest::TypeText(number, "abc");
    EXPECT_EQ(Shown(number), "");
    uitest::TypeText(number, "-5");
    EXPECT_EQ(Shown(number), "5");
    uitest::TypeText(number, "1 2.3e4");
    EXPECT_EQ(Shown(number), "1234");

    // A refused key changes nothing, so it tells the parent nothing.
    const int changes = panel.changes[kNumber];
    uitest::Key(number, 'X');
    EXPECT_EQ(Shown(number), "1234");
    EXPECT_EQ(panel.changes[kNumber], changes);

    // A paste of digits goes in where the caret is; one holding anything else is refused whole.
    Paste(number, "56");
    EXPECT_EQ(Shown(number), "123456");
    for (const char* text : {"7a", "-8", " 9", "1,5"}) {
        SCOPED_TRACE(text);
        Paste(number, text);
        EXPECT_EQ(Shown(number), "123456");
    }

    // The program's own text is never filtered, and the user can still work on it.
    number->SetWindowText("-5 В");
    EXPECT_EQ(Shown(number), "-5 В");
    uitest::Key(number, VK_END);
    uitest::Key(number, '7');
    uitest::Key(number, 'Y');
    EXPECT_EQ(Shown(number), "-5 В7");
    uitest::Key(number, VK_HOME);
    uitest::Key(number, VK_DELETE);
    EXPECT_EQ(Shown(number), "5 В7");
    static_cast<CEdit*>(number)->SetSel(0, -1);
    static_cast<CEdit*>(number)->ReplaceSel("+1");
    EXPECT_EQ(Shown(number), "+1");

    // Other edits take any text.
    CWnd* plain = panel.GetDlgItem(kPlain);
    uitest::TypeText(plain, "-5 abc");
    EXPECT_EQ(Shown(plain), "-5 abc");
    Paste(plain, "7a");
    EXPECT_EQ(Shown(plain), "-5 abc7a");
}

TEST_F(NumberSpin, ReadingTheSpinLeavesItsBuddyShowingThePositionUsed)
{
    spin->SetRange32(0, 100);
    spin->SetPos32(5);
    EXPECT_EQ(Shown(number), "5");

    struct Case {
        const char* typed;
        int used;
        bool error;
    };
    // A number past either end gives that end; text that is no number keeps the position.
    const Case cases[] = {
        {"42", 42, false},
        {"500", 100, true},
        {"", 100, true},
        {"0", 0, false},
        {"99999999999999999999999", 100, true},
        {"7", 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
        uitest::TypeText(number, c.typed);
        BOOL error = !c.error;
        EXPECT_EQ(spin->GetPos32(&error), c.used);
        EXPECT_EQ(error != FALSE, c.error);
        EXPECT_EQ(Shown(number), std::to_string(c.used));
        // Read again, the buddy holds the number used as it stands.
        EXPECT_EQ(spin->GetPos(), c.used);
        EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(spin->SendMessage(UDM_GETPOS))), 0u);
    }

    // The 16-bit read corrects the buddy the same way and flags it in its high word.
    uitest::TypeText(number, "250");
    const LRESULT answer = spin->SendMessage(UDM_GETPOS);
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(answer)), 100u);
    EXPECT_NE(HIWORD(static_cast<std::uintptr_t>(answer)), 0u);
    EXPECT_EQ(Shown(number), "100");

    // Text the program put into an edit that takes any text: below the range is its lower end,
    // a word is no number.
    auto* other = static_cast<CSpinButtonCtrl*>(panel.GetDlgItem(kOtherSpin));
    CWnd* otherEdit = panel.GetDlgItem(kOtherEdit);
    other->SetRange32(-50, 50);
    other->SetPos32(10);
    otherEdit->SetWindowText("-70");
    EXPECT_EQ(other->GetPos32(), -50);
    EXPECT_EQ(Shown(otherEdit), "-50");
    otherEdit->SetWindowText("десять");
    EXPECT_EQ(other->GetPos32(), -50);
    EXPECT_EQ(Shown(otherEdit), "-50");

    // An arrow steps on from the number used, and the edit shows it even when the parent
    // refuses the step.
    uitest::TypeText(number, "500");
    uitest::ClickSpin(spin, false);
    EXPECT_EQ(spin->GetPos32(), 99);
    EXPECT_EQ(Shown(number), "99");
    panel.refuseSteps = true;
    uitest::TypeText(number, "500");
    uitest::ClickSpin(spin, true);
    EXPECT_EQ(Shown(number), "100");
    uitest::TypeText(number, "");
    uitest::ClickSpin(spin, true);
    EXPECT_EQ(Shown(number), "100");
}

TEST_F(NumberSpin, UpAndDownInTheBuddyStepAsTheArrowsDo)
{
    spin->SetRange32(0, 7);
    spin->SetPos32(5);
    number->SetFocus();

    uitest::Key(number, VK_UP);
    EXPECT_EQ(spin->GetPos32(), 6);
    EXPECT_EQ(Shown(number), "6");
    const std::vector<std::string> byKey = panel.trace;
    panel.trace.clear();
    spin->SetPos32(5);
    uitest::ClickSpin(spin, true);
    EXPECT_EQ(panel.trace, byKey) << "the key sends what the arrow button sends";
    EXPECT_EQ(byKey, (std::vector<std::string>{"delta 51 5 1", "scroll 51 4 6", "scroll 51 8 0"}));

    // Within the range, still asking the parent at its ends; the keypad's arrows too.
    panel.trace.clear();
    uitest::Key(number, VK_UP);
    uitest::Key(number, VK_UP, uitest::Keypad);
    EXPECT_EQ(spin->GetPos32(), 7);
    EXPECT_EQ(panel.trace.at(3), "delta 51 7 1");
    uitest::Key(number, VK_DOWN);
    uitest::Key(number, VK_DOWN);
    EXPECT_EQ(Shown(number), "5");

    // From a number typed, as the arrows; a refused step stays where it was.
    uitest::TypeText(number, "2");
    uitest::Key(number, VK_DOWN);
    EXPECT_EQ(Shown(number), "1");
    panel.refuseSteps = true;
    uitest::Key(number, VK_UP);
    EXPECT_EQ(spin->GetPos32(), 1);
    panel.refuseSteps = false;

    // Alt with an arrow, a disabled spin and a spin without the style leave the number alone.
    panel.trace.clear();
    uitest::Key(number, VK_UP, uitest::Alt);
    spin->EnableWindow(FALSE);
    uitest::Key(number, VK_UP);
    EXPECT_EQ(spin->GetPos32(), 1);
    spin->EnableWindow(TRUE);
    auto* other = static_cast<CSpinButtonCtrl*>(panel.GetDlgItem(kOtherSpin));
    CWnd* otherEdit = panel.GetDlgItem(kOtherEdit);
    other->SetRange32(0, 100);
    other->SetPos32(5);
    uitest::Key(otherEdit, VK_UP);
    EXPECT_EQ(other->GetPos32(), 5);
    EXPECT_TRUE(panel.trace.empty());

    // A buddy given by the program takes the keys too, and the one it replaced no longer does.
    spin->SetBuddy(otherEdit);
    spin->SetPos32(3);
    uitest::Key(otherEdit, VK_UP);
    EXPECT_EQ(Shown(otherEdit), "4");
    uitest::Key(number, VK_UP);
    EXPECT_EQ(spin->GetPos32(), 4);
}
