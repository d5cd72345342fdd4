// Dialogs: templates, modal loops, dialog keys, data exchange, common dialogs.

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PaintDC.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

const char* kSettingsText = R"(# a settings dialog
DIALOG 9200
CAPTION "Параметры порта"
STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
SIZE 180 120
FONT 8 "MS Shell Dlg"
CONTROL Static   IDC_STATIC "Скорость:"      SS_LEFT                    7 9 50 10
CONTROL Edit     1001 ""                      ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP   60 7 60 12
CONTROL Static   IDC_STATIC "Байт:"          0                          7 25 50 10
CONTROL Edit     1002 ""                      WS_BORDER | WS_TABSTOP     60 23 60 12
CONTROL Button   1003 "Контроль чётности" BS_AUTOCHECKBOX | WS_TABSTOP 7 40 120 10
CONTROL Button   1004 "Нет"               BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP 7 55 40 10
CONTROL Button   1005 "Чёт"               BS_AUTORADIOBUTTON            50 55 40 10
CONTROL Button   1006 "Нечет"             BS_AUTORADIOBUTTON            93 55 40 10
CONTROL ComboBox 1007 ""                      CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP 7 70 100 60
CONTROL Button   IDOK "OK"                BS_DEFPUSHBUTTON | WS_TABSTOP 7 99 50 14
CONTROL Button   IDCANCEL "Отмена"        WS_TABSTOP                 123 99 50 14
)";

class SettingsDialog : public CDialog {
public:
    SettingsDialog() : CDialog(9200) {}
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, 1007, combo);
        DDX_Text(dx, 1001, rate);
        DDV_MinMaxUInt(dx, rate, 300, 3000000);
        DDX_Text(dx, 1002, bits);
        DDV_MinMaxByte(dx, bits, 5, 8);
        DDX_Check(dx, 1003, parity);
        DDX_Radio(dx, 1004, parityKind);
        DDX_CBIndex(dx, 1007, stopBits);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        return TRUE;
    }
    CComboBox combo;
    UINT rate = 2000000;
    BYTE bits = 8;
    int parity = 1;
    int parityKind = 2;
    int stopBits = -1;
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterDialogTemplateText(kSettingsText));
        uihooks::TakeMessageBoxLog();
    }
    void TearDown() override
    {
        uihooks::ClearModalHandlers();
        uitest::ProcessEvents();
    }
};

}  // namespace

TEST_F(Dialogs, EnterEndsWithIdOkAndEscapeWithIdCancel)
{
    SettingsDialog dlg;
    uitest::OnNextModal([](uihooks::ModalContext& m) { uitest::PressEnter(m.window->GetDlgItem(1001)); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "a modal dialog's window is gone after DoModal";

    SettingsDialog again;
    uitest::OnNextModal([](uihooks::ModalContext& m) { uitest::PressEscape(m.window->GetDlgItem(1001)); });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
}

TEST_F(Dialogs, TheCloseBoxIsIdCancelWithoutAControlWhenThereIsNoCancelButton)
{
    struct Tool : CDialog {
        BOOL OnCommand(WPARAM w, LPARAM l) override
        {
            id = LOWORD(w);
            control = reinterpret_cast<HWND>(l);
            return CDialog::OnCommand(w, l);
        }
        int id = 0;
        HWND control = reinterpret_cast<HWND>(1);
    } tool;
    DialogTemplate t;
    t.id = 9201;
    t.caption = "Инструмент";
    t.rect = CRect(0, 0, 100, 60);
    ASSERT_TRUE(tool.CreateIndirect(t));
    tool.ShowWindow(SW_SHOW);
    uitest::CloseWindow(&tool);
    EXPECT_EQ(tool.id, IDCANCEL);
    EXPECT_EQ(tool.control, nullptr);
    EXPECT_FALSE(tool.IsWindowVisible()) << "EndDialog hides a modeless dialog";
    EXPECT_TRUE(IsWindow(tool.m_hWnd)) << "and keeps it";
}

TEST_F(Dialogs, DoModalGivesMinusOneWhenTheDialogCannotBeCreated)
{
    CDialog missing(4711);
    EXPECT_EQ(missing.DoModal(), -1);

    DialogTemplate broken;
    broken.id = 9202;
    broken.rect = CRect(0, 0, 50, 50);
    broken.items.push_back({"NoSuchClass", 5, "", WS_VISIBLE, 0, CRect(0, 0, 10, 10)});
    CDialog dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(broken));
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST_F(Dialogs, DataExchangeFillsControlsAndReadsThemBack)
{
    SettingsDialog dlg;
    uitest::OnNextModal([&dlg](uihooks::ModalContext& m) {
        CWnd* w = m.window;
        CString text;
        w->GetDlgItemText(1001, text);
        EXPECT_EQ(text, "2000000");
        EXPECT_EQ(w->GetCheckedRadioButton(1004, 1006), 1006);
        EXPECT_EQ(dlg.combo.m_hWnd, w->GetDlgItem(1007)->m_hWnd) << "DDX_Control binds the member";
        uitest::TypeText(w->GetDlgItem(1001), "115200");
        uitest::Click(w->GetDlgItem(1003));
        uitest::Click(w->GetDlgItem(1005));
        uitest::Click(w->GetDlgItem(IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.rate, 115200u);
    EXPECT_EQ(dlg.parity, 0);
    EXPECT_EQ(dlg.parityKind, 1);
    EXPECT_EQ(dlg.combo.m_hWnd, nullptr) << "the bound control is released with the dialog";
}

TEST_F(Dialogs, FailedValidationShowsTheRangeAndAbortsTheExchange)
{
    SettingsDialog dlg;
    std::string shown;
    bool stillOpen = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        CWnd* w = m.window;
        uitest::TypeText(w->GetDlgItem(1001), "9600");
        uitest::TypeText(w->GetDlgItem(1002), "9");
        w->CheckDlgButton(1003, BST_UNCHECKED);
        uitest::AnswerNextMessageBox(IDOK, &shown);
        uitest::Click(w->GetDlgItem(IDOK));
        stillOpen = w->IsWindowVisible() != FALSE;
        CWnd* focus = CWnd::GetFocus();
        EXPECT_EQ(focus != nullptr ? focus->GetDlgCtrlID() : 0, 1002) << "focus goes back to the bad field";
        m.End(IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(shown, "Введите целое число от 5 до 8.");
    EXPECT_EQ(dlg.rate, 9600u) << "fields before the bad one were exchanged";
    EXPECT_EQ(dlg.bits, 9) << "as stored by DDX_Text before DDV_MinMaxByte refused it";
    EXPECT_EQ(dlg.parity, 1) << "fields after it are not exchanged";
}

TEST_F(Dialogs, TextThatIsNoNumberIsRefused)
{
    SettingsDialog dlg;
    std::string shown;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        uitest::TypeText(m.window->GetDlgItem(1001), "быстро");
        uitest::AnswerNextMessageBox(IDOK, &shown);
        uitest::PressEnter(m.window->GetDlgItem(1001));
        m.End(IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(shown, "Введите целое неотрицательное число.");
    EXPECT_EQ(dlg.rate, 2000000u);
}

TEST_F(Dialogs, TemplateTextErrorsNameTheLine)
{
    std::string error;
    EXPECT_FALSE(ParseDialogTemplateText("DIALOG 5\nSIZE 10 10\nCONTROL Button 1 \"x\" BS_NONSENSE 0 0 1 1\n", &error));
    EXPECT_EQ(error, "line 3: unknown style 'BS_NONSENSE'");
    EXPECT_FALSE(ParseDialogTemplateText("DIALOG 5\nCAPTION \"open\n", &error));
    EXPECT_EQ(error, "line 2: unterminated string");
    EXPECT_FALSE(ParseDialogTemplateText("CAPTION \"x\"\nSIZE 1 1\n", &error));
    EXPECT_EQ(error, "line 3: no DIALOG statement");
    EXPECT_FALSE(ParseDialogTemplateText("DIALOG 5\nSIZE 10 10\nCONTROL Button 1 \"x\" 0 0 1\n", &error));

    auto t = ParseDialogTemplateText(kSettingsText);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->id, 9200u);
    EXPECT_EQ(t->caption, "Параметры порта");
    ASSERT_EQ(t->items.size(), 11u);
    EXPECT_EQ(t->items[0].id, 0xFFFF);
    EXPECT_EQ(t->items[1].style, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP);
    EXPECT_EQ(t->items[1].rect, CRect(60, 7, 120, 19));
    EXPECT_EQ(t->items[9].id, IDOK);

    auto hidden = ParseDialogTemplateText("DIALOG 6\nSIZE 10 10\nCONTROL Button 1000 \"x\" NOT WS_VISIBLE | WS_TABSTOP 0 0 5 5\n");
    ASSERT_TRUE(hidden);
    EXPECT_EQ(hidden->items[0].style, WS_CHILD | WS_TABSTOP);
}

TEST_F(Dialogs, BinaryTemplatesAreReadWithinTheirSize)
{
    // Pop-up, caption, system menu, modal frame; no controls; 250 x 150; a Cyrillic caption.
    std::vector<WORD> words = {0x0080, 0x80C8, 0, 0, 0, 0, 0, 250, 150, 0, 0};
    for (char16_t c : std::u16string(u"Доступные интерфейсы")) words.push_back(static_cast<WORD>(c));
    words.push_back(0);
    auto t = ParseDialogTemplateBinary(words.data(), words.size() * 2);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->style, 0x80C80080u);
    EXPECT_EQ(t->rect, CRect(0, 0, 250, 150));
    EXPECT_EQ(t->caption, "Доступные интерфейсы");
    // Every shorter prefix lacks the caption's terminator and is refused, not over-read.
    for (std::size_t size = 0; size < words.size() * 2; ++size)
        EXPECT_FALSE(ParseDialogTemplateBinary(words.data(), size)) << size;

    std::vector<unsigned char> block(1024, 0);
    std::memcpy(block.data(), words.data(), words.size() * 2);
    CDialog dlg;
    EXPECT_TRUE(dlg.InitModalIndirect(block.data(), block.size()));
}

namespace {
// A chooser in the manner of the interface dialog: controls made in OnInitDialog, a double
// click on a child item ends the dialog.
class Chooser : public CDialog {
public:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        CRect r;
        GetClientRect(&r);
        tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                    CRect(10, 40, r.right - 10, r.bottom - 10), this, 256);
        hint.Create("Двойной щелчек - выбрать\nщелчек правой кнопкой - опции (если есть)", WS_CHILD | WS_VISIBLE,
                    CRect(10, 10, r.right - 10, 40), this);
        for (int i = 0; i < 2; ++i) {
            HTREEITEM root = tree.InsertItem(i == 0 ? "BulkUSB" : "FTDI");
            tree.SetItemData(root, static_cast<DWORD_PTR>(i));
            for (int j = 0; j < 2; ++j) tree.SetItemData(tree.InsertItem(StringFormat("device %d.%d", i, j).c_str(), root), static_cast<DWORD_PTR>(j));
            tree.Expand(root, TVE_EXPAND);
        }
        return TRUE;
    }
    void OnDblClk(NMHDR*, LRESULT* result)
    {
        CPoint p;
        GetCursorPos(&p);
        tree.ScreenToClient(&p);
        HTREEITEM item = tree.HitTest(p);
        if (item == nullptr || tree.GetParentItem(item) == nullptr) return;
        chosen = static_cast<int>(tree.GetItemData(tree.GetParentItem(item))) * 10 + static_cast<int>(tree.GetItemData(item));
        EndDialog(IDOK);
        *result = 1;
    }
    CTreeCtrl tree;
    CStatic hint;
    int chosen = -1;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Chooser, CDialog)
    ON_NOTIFY(NM_DBLCLK, 256, &Chooser::OnDblClk)
END_MESSAGE_MAP()
}  // namespace

TEST_F(Dialogs, AChooserBuiltInOnInitDialogEndsOnADoubleClickedDevice)
{
    DialogTemplate t;
    t.style = 0x80C80080;
    t.rect = CRect(0, 0, 250, 150);
    t.caption = "Доступные интерфейсы";
    Chooser dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(t));
    bool rendered = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* c = static_cast<Chooser*>(m.window);
        uitest::ProcessEvents();
        rendered = uitest::RenderToPng(c, uitest::OutputPath("platform_ui/chooser.png"));
        HTREEITEM ftdi = c->tree.GetNextSiblingItem(c->tree.GetRootItem());
        uitest::DoubleClickTreeItem(&c->tree, ftdi);  // a root: the dialog stays (the root folds)
        EXPECT_EQ(c->chosen, -1);
        c->tree.Expand(ftdi, TVE_EXPAND);
        uitest::ProcessEvents();
        uitest::DoubleClickTreeItem(&c->tree, c->tree.GetNextSiblingItem(c->tree.GetChildItem(ftdi)));
        if (c->ContinueModal()) m.End(IDABORT);  // never hang the test run
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.chosen, 11);
    EXPECT_TRUE(rendered);
}

TEST_F(Dialogs, ARussianDialogRendersToPng)
{
    SettingsDialog dlg;
    ASSERT_TRUE(dlg.Create(9200));
    dlg.ShowWindow(SW_SHOW);
    dlg.combo.AddString("1 стоп-бит");
    dlg.combo.AddString("2 стоп-бита");
    dlg.combo.SetCurSel(0);
    uitest::ProcessEvents();
    const std::string path = uitest::OutputPath("platform_ui/settings_dialog.png");
    ASSERT_TRUE(uitest::RenderToPng(&dlg, path));
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
    CRect client;
    dlg.GetClientRect(&client);
    // 180 x 120 dialog units in an 8-point face: a compact window, wider than high.
    EXPECT_GT(client.Width(), 250);
    EXPECT_LT(client.Width(), 400);
    EXPECT_GT(client.Height(), 150);
    EXPECT_LT(client.Height(), 260);
}

namespace {
class WithAbout : public CDialog {
public:
    WithAbout() : CDialog(9200) {}
    afx_msg void OnSysCommand(UINT id, LPARAM l)
    {
        if (id == 16) about++;
        else CDialog::OnSysCommand(id, l);
    }
    void OnCancel() override { cancels++; }
    int about = 0;
    int cancels = 0;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WithAbout, CDialog)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()
}  // namespace

TEST_F(Dialogs, TheWindowsOwnMenuCarriesTheAboutCommand)
{
    WithAbout dlg;
    ASSERT_TRUE(dlg.Create(9200));
    CMenu* menu = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, 16, "&О программе...");
    EXPECT_EQ(dlg.GetSystemMenu(FALSE)->GetMenuItemCount(), 2);
    EXPECT_EQ(menu->GetMenuItemID(1), 16u);
    CString text;
    menu->GetMenuString(16, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "&О программе...");

    dlg.SendMessage(WM_SYSCOMMAND, 16, 0);
    EXPECT_EQ(dlg.about, 1);
    dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(dlg.cancels, 1) << "other commands get the default handling";
}

namespace {
class TwoButtons : public CDialog {
public:
    void OnConnect() { connects++; }
    int connects = 0;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(TwoButtons, CDialog)
    ON_BN_CLICKED(1000, &TwoButtons::OnConnect)
END_MESSAGE_MAP()
}  // namespace

TEST_F(Dialogs, EnterOnAFocusedPushButtonPressesThatButton)
{
    DialogTemplate t;
    t.id = 9203;
    t.rect = CRect(0, 0, 120, 40);
    t.items = {{"BUTTON", 1000, "Подключиться", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 60, 19)},
               {"button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, CRect(65, 5, 115, 19)}};
    TwoButtons dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(t));
    uitest::OnNextModal([&dlg](uihooks::ModalContext& m) {
        CWnd* connect = m.window->GetDlgItem(1000);
        connect->SetFocus();
        uitest::PressEnter(connect);
        EXPECT_EQ(dlg.connects, 1);
        EXPECT_TRUE(dlg.ContinueModal());
        uitest::PressEnter(m.window->GetDlgItem(IDOK));
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// A window of a class of our own is a Tab stop only with WS_TABSTOP, as a standard control is;
// without it Tab passes it by, and a click on it leaves the focus where it was, since it shows
// no focus and takes no keys.
TEST_F(Dialogs, TabStopsAtWindowsOfOurOwnClassesOnlyWhenTheyAskForIt)
{
    WNDCLASS wc;
    wc.lpszClassName = "TabTestPicture";
    ASSERT_TRUE(AfxRegisterClass(&wc));
    DialogTemplate t;
    t.id = 9204;
    t.rect = CRect(0, 0, 200, 60);
    t.items = {{"Button", 1000, "Первая", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 60, 19)},
               {"TabTestPicture", 1001, "", WS_VISIBLE, 0, CRect(65, 5, 95, 35)},
               {"TabTestPicture", 1002, "", WS_TABSTOP | WS_VISIBLE, 0, CRect(100, 5, 130, 35)},
               {"Button", 1003, "Вторая", WS_TABSTOP | WS_VISIBLE, 0, CRect(135, 5, 190, 19)}};
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t));
    dlg.ShowWindow(SW_SHOW);
    CWnd* first = dlg.GetDlgItem(1000);
    first->SetFocus();
    uitest::ProcessEvents();
    ASSERT_EQ(CWnd::GetFocus(), first);

    std::vector<int> visited;
    for (int i = 0; i < 3; ++i) {
        uitest::KeyToActiveWindow(VK_TAB);
        CWnd* focus = CWnd::GetFocus();
        visited.push_back(focus != nullptr ? focus->GetDlgCtrlID() : 0);
    }
    EXPECT_EQ(visited, (std::vector<int>{1002, 1003, 1000}));

    uitest::Click(dlg.GetDlgItem(1001));
    EXPECT_EQ(CWnd::GetFocus(), first) << "a click on a window that takes no keys moved the focus";
    dlg.DestroyWindow();
}
