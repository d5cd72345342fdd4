// Input under modal windows and after them, delivered as the window system delivers a user's:
// a modal window holds input back from its owner's windows while it runs, and whichever way it
// ends, every window takes clicks and keys again.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/PrintDialog.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <ostream>
#include <string>

namespace {

constexpr int kButtonId = 2001;
constexpr int kEditId = 2002;
constexpr UINT kDialogId = 9501;
constexpr UINT kPageId = 9502;

const char* kDialogText = R"(DIALOG 9501
CAPTION "Выбор"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
SIZE 160 70
CONTROL Button 2001 "Пуск"   BS_PUSHBUTTON | WS_TABSTOP   7 7 50 14
CONTROL Edit   2002 ""       ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP   7 27 100 12
CONTROL Button IDOK "OK"     BS_DEFPUSHBUTTON | WS_TABSTOP   7 49 50 14
CONTROL Button IDCANCEL "Отмена" BS_PUSHBUTTON | WS_TABSTOP  100 49 50 14
)";

const char* kPageText = R"(DIALOG 9502
CAPTION "Страница"
STYLE WS_CHILD
SIZE 120 40
CONTROL Static IDC_STATIC "Порог:" 0   5 7 60 10
)";

// A window with a button that counts its clicks and an edit that shows what was typed.
class Window : public CDialog {
public:
    explicit Window(CWnd* owner = nullptr) : CDialog(kDialogId, owner) {}
    int clicks = 0;
    int wheels = 0;

protected:
    void OnButton() { ++clicks; }
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint)
    {
        ++wheels;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Window, CDialog)
    ON_BN_CLICKED(kButtonId, &Window::OnButton)
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

bool ShowModeless(Window& w, CWnd* owner)
{
    if (!w.Create(kDialogId, owner)) return false;
    w.ShowWindow(SW_SHOW);
    return true;
}

bool TakesClick(Window& w)
{
    const int before = w.clicks;
    uitest::Click(w.GetDlgItem(kButtonId));
    return w.clicks == before + 1;
}

CString EditText(Window& w)
{
    CString text;
    w.GetDlgItem(kEditId)->GetWindowText(text);
    return text;
}

// The wheel over a bare place of the window (below its buttons).
bool TakesWheel(Window& w)
{
    const int before = w.wheels;
    CRect r;
    w.GetClientRect(&r);
    uitest::Wheel(&w, CPoint(r.right - 5, r.bottom - 3), -120);
    return w.wheels == before + 1;
}

bool TakesKey(Window& w)
{
    w.GetDlgItem(kEditId)->SetWindowText("");
    uitest::Key(w.GetDlgItem(kEditId), 'Q');
    return EditText(w) == "q";
}

// Whether a window has the keyboard (for windows of Qt's own too: a message box, a file dialog).
bool HasTheKeyboard(QWidget* w) { return w != nullptr && QGuiApplication::focusWindow() == w->windowHandle(); }
// What a click into such a window does: the keyboard goes there (the checks while it runs
// clicked into other windows).
void BackToTheKeyboard(QWidget* w)
{
    if (w != nullptr) w->activateWindow();
    uitest::ProcessEvents();
}

enum class Ending {
    OkButton,
    CancelButton,
    Escape,
    CloseBox,
    EndDialogFromCode,
    Nested,
    MessageBox,
    FileDialog,
    PrintDialog,
    PropertySheet,
    LoopOnAModelessWindow,
};

struct Case {
    const char* name;
    Ending ending;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ModalInput : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterDialogTemplateText(kDialogText));
        ASSERT_TRUE(RegisterDialogTemplateText(kPageText));
        ASSERT_TRUE(ShowModeless(owner, nullptr));
        ASSERT_TRUE(ShowModeless(tool, &owner));
        ASSERT_TRUE(ShowModeless(stranger, nullptr));
        uitest::ProcessEvents();
    }
    void TearDown() override
    {
        uihooks::ClearModalHandlers();
        uitest::ProcessEvents();
    }

    // While a modal window owned by the owner runs: the owner's family takes nothing, a window
    // of another family takes input as before.
    void ExpectBlocked(const char* where)
    {
        SCOPED_TRACE(where);
        EXPECT_FALSE(TakesClick(owner)) << "a click reached the owner under a modal window";
        EXPECT_FALSE(TakesKey(owner)) << "a key reached the owner under a modal window";
        EXPECT_FALSE(TakesWheel(owner)) << "the wheel reached the owner under a modal window";
        EXPECT_FALSE(TakesClick(tool)) << "a click reached a window of the owner under a modal window";
        EXPECT_TRUE(TakesClick(stranger)) << "a window of another family was blocked";
        const int before = owner.clicks;
        uitest::CloseWindow(&owner);
        EXPECT_TRUE(owner.IsWindowVisible()) << "the owner closed under a modal window";
        EXPECT_EQ(owner.clicks, before);
    }

    Window owner;
    Window tool;
    Window stranger;
};

// Runs the modal path of a case; the window it shows is checked while it runs and then ended
// the case's way.
void RunModal(Ending ending, Window& owner, const std::function<void(const char*)>& whileRunning)
{
    switch (ending) {
    case Ending::OkButton:
    case Ending::CancelButton:
    case Ending::Escape:
    case Ending::CloseBox:
    case Ending::EndDialogFromCode: {
        Window dialog(&owner);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            whileRunning("dialog");
            auto* d = static_cast<Window*>(m.window);
            if (ending == Ending::OkButton) uitest::Click(d->GetDlgItem(IDOK));
            if (ending == Ending::CancelButton) uitest::Click(d->GetDlgItem(IDCANCEL));
            if (ending == Ending::Escape) uitest::PressEscape(d);
            if (ending == Ending::CloseBox) uitest::CloseWindow(d);
            if (ending == Ending::EndDialogFromCode) d->EndDialog(77);
            if (d->ContinueModal()) m.End(IDABORT);
        });
        const INT_PTR expected = ending == Ending::OkButton ? IDOK : ending == Ending::EndDialogFromCode ? 77 : IDCANCEL;
        EXPECT_EQ(dialog.DoModal(), expected);
        break;
    }
    case Ending::Nested: {
        Window outer(&owner);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            auto* o = static_cast<Window*>(m.window);
            Window inner(o);
            uitest::OnNextModal([&](uihooks::ModalContext& n) {
                whileRunning("inner dialog");
                EXPECT_FALSE(TakesClick(*o)) << "a click reached the outer dialog under the inner one";
                uitest::Click(n.window->GetDlgItem(IDOK));
                if (n.window->ContinueModal()) n.End(IDABORT);
            });
            EXPECT_EQ(inner.DoModal(), IDOK);
            EXPECT_TRUE(TakesClick(*o)) << "the outer dialog takes no click after the inner one ended";
            EXPECT_TRUE(TakesKey(*o)) << "the outer dialog takes no key after the inner one ended";
            whileRunning("outer dialog after the inner one");
            uitest::Click(o->GetDlgItem(IDOK));
            if (o->ContinueModal()) m.End(IDABORT);
        });
        EXPECT_EQ(outer.DoModal(), IDOK);
        break;
    }
    case Ending::MessageBox: {
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            EXPECT_TRUE(HasTheKeyboard(QApplication::activeModalWidget())) << "a message box opens without the keyboard";
            whileRunning("message box");
            BackToTheKeyboard(QApplication::activeModalWidget());
            uitest::KeyToActiveWindow(VK_ESCAPE);
            m.End(IDABORT);  // ends nothing when Esc did
        });
        EXPECT_EQ(owner.MessageBox("Сохранить изменения?", "Durmitt", MB_OKCANCEL), IDCANCEL);
        break;
    }
    case Ending::FileDialog: {
        CFileDialog dialog(FALSE, "txt", "log.txt", OFN_OVERWRITEPROMPT, "Текст (*.txt)|*.txt||", &owner);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            EXPECT_TRUE(HasTheKeyboard(QApplication::activeModalWidget())) << "a file dialog opens without the keyboard";
            whileRunning("file dialog");
            BackToTheKeyboard(QApplication::activeModalWidget());
            uitest::KeyToActiveWindow(VK_ESCAPE);
            m.End(IDABORT);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        break;
    }
    case Ending::PrintDialog: {
        CPrintDialog dialog(FALSE, PD_NOSELECTION | PD_NOPAGENUMS, &owner);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            EXPECT_TRUE(HasTheKeyboard(QApplication::activeModalWidget())) << "a print dialog opens without the keyboard";
            whileRunning("print dialog");
            m.End(IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        break;
    }
    case Ending::PropertySheet: {
        CPropertyPage page(kPageId);
        CPropertySheet sheet("Параметры", &owner);
        sheet.AddPage(&page);
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            whileRunning("property sheet");
            uitest::Click(m.window->GetDlgItem(IDOK));
            if (m.window->ContinueModal()) m.End(IDABORT);
        });
        EXPECT_EQ(sheet.DoModal(), IDOK);
        break;
    }
    case Ending::LoopOnAModelessWindow: {
        Window modeless;
        ASSERT_TRUE(ShowModeless(modeless, &owner));
        uitest::OnNextModal([&](uihooks::ModalContext&) {
            whileRunning("modal loop of a modeless window");
            modeless.EndModalLoop(5);
        });
        EXPECT_EQ(modeless.RunModalLoop(), 5);
        EXPECT_TRUE(modeless.IsWindowVisible()) << "a modeless window stays shown after its modal loop";
        EXPECT_TRUE(TakesClick(modeless)) << "the window that ran the loop takes no click";
        uitest::ProcessEvents();
        EXPECT_TRUE(HasTheKeyboard(uitest::WidgetOf(&modeless))) << "the keyboard left the window that is still shown";
        owner.GetDlgItem(kEditId)->SetFocus();  // the user goes back to the owner
        break;
    }
    }
}

}  // namespace

TEST_P(ModalInput, TheOwnerIsBlockedWhileItRunsAndEveryWindowTakesInputAfterIt)
{
    RunModal(GetParam().ending, owner, [this](const char* where) { ExpectBlocked(where); });
    uitest::ProcessEvents();

    EXPECT_TRUE(TakesClick(owner)) << "the owner takes no click after the modal window ended";
    EXPECT_TRUE(TakesKey(owner)) << "the owner takes no key after the modal window ended";
    EXPECT_TRUE(TakesWheel(owner)) << "the owner takes no wheel after the modal window ended";
    EXPECT_TRUE(TakesClick(tool)) << "a window of the owner takes no click after the modal window ended";
    EXPECT_TRUE(TakesClick(stranger));
    // The keyboard is back with the owner without a click into it.
    owner.GetDlgItem(kEditId)->SetWindowText("");
    uitest::KeyToActiveWindow('Z');
    EXPECT_EQ(EditText(owner), "z") << "the keyboard did not return to the owner";
}

INSTANTIATE_TEST_SUITE_P(EveryEnding, ModalInput,
                         ::testing::Values(Case{"OkButton", Ending::OkButton}, Case{"CancelButton", Ending::CancelButton},
                                           Case{"Escape", Ending::Escape}, Case{"CloseBox", Ending::CloseBox},
                                           Case{"EndDialogFromCode", Ending::EndDialogFromCode}, Case{"Nested", Ending::Nested},
                                           Case{"MessageBox", Ending::MessageBox}, Case{"FileDialog", Ending::FileDialog},
                                           Case{"PrintDialog", Ending::PrintDialog},
                                           Case{"PropertySheet", Ending::PropertySheet},
                                           Case{"LoopOnAModelessWindow", Ending::LoopOnAModelessWindow}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ModalInputRules, ADisabledControlTakesNothingAndTakesInputOnceEnabledAgain)
{
    uitest::EnsureApplication();
    ASSERT_TRUE(RegisterDialogTemplateText(kDialogText));
    Window w;
    ASSERT_TRUE(ShowModeless(w, nullptr));
    w.GetDlgItem(kButtonId)->EnableWindow(FALSE);
    w.GetDlgItem(kEditId)->EnableWindow(FALSE);
    EXPECT_FALSE(TakesClick(w));
    EXPECT_FALSE(TakesKey(w));
    w.GetDlgItem(kButtonId)->EnableWindow(TRUE);
    w.GetDlgItem(kEditId)->EnableWindow(TRUE);
    EXPECT_TRUE(TakesClick(w));
    EXPECT_TRUE(TakesKey(w));
    uitest::ProcessEvents();
}

TEST(ModalInputRules, ADialogWithoutAnOwnerBlocksNoOtherWindow)
{
    // A program's main dialog runs modal without an owner for the program's whole life: the
    // windows it opens, owned or not, must take input.
    uitest::EnsureApplication();
    ASSERT_TRUE(RegisterDialogTemplateText(kDialogText));
    Window main;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* d = static_cast<Window*>(m.window);
        Window owned;
        Window parentless;
        ASSERT_TRUE(ShowModeless(owned, d));
        ASSERT_TRUE(ShowModeless(parentless, nullptr));
        EXPECT_TRUE(TakesClick(*d));
        EXPECT_TRUE(TakesClick(owned));
        EXPECT_TRUE(TakesClick(parentless));
        EXPECT_TRUE(TakesKey(parentless));
        uitest::PressEscape(d);
        if (d->ContinueModal()) m.End(IDABORT);
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    uitest::ProcessEvents();
}
