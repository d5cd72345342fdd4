// The program object, common dialogs and window geometry queries.

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

DialogTemplate MainTemplate()
{
    DialogTemplate t;
    t.id = 9500;
    t.caption = "Durmitt";
    t.rect = CRect(0, 0, 200, 100);
    t.items = {{"Button", 1000, "Подключиться", WS_TABSTOP | WS_VISIBLE, 0, CRect(5, 5, 75, 19)},
               {"Button", IDCANCEL, "Выход", WS_TABSTOP | WS_VISIBLE, 0, CRect(140, 5, 190, 19)},
               {"ScrollBar", 1001, "", SBS_HORZ | WS_VISIBLE, 0, CRect(5, 80, 190, 90)}};
    return t;
}

class TestProgram : public CWinAppEx {
public:
    TestProgram() : CWinAppEx(TRUE, "Durmitt") {}
    BOOL InitInstance() override
    {
        CDialog dlg;
        dlg.InitModalIndirect(MainTemplate());
        m_pMainWnd = &dlg;
        uitest::OnNextModal([this](uihooks::ModalContext& m) {
            sawMain = AfxGetMainWnd() == m.window;
            uitest::Click(m.window->GetDlgItem(IDCANCEL));
        });
        result = static_cast<int>(dlg.DoModal());
        exitCode_ = 3;
        return FALSE;
    }
    bool sawMain = false;
    int result = 0;
};

}  // namespace

TEST(App, InitInstanceRunsTheMainDialogAndExitInstanceGivesTheExitCode)
{
    uitest::EnsureApplication();
    TestProgram program;
    char name[] = "durmitt";
    char demo[] = "--demo";
    char* argv[] = {name, demo, nullptr};
    EXPECT_EQ(AfxWinMain(2, argv), 3);
    EXPECT_EQ(AfxGetApp(), &program);
    EXPECT_TRUE(program.sawMain);
    EXPECT_EQ(program.result, IDCANCEL);
    EXPECT_EQ(program.m_args, (std::vector<std::string>{"durmitt", "--demo"}));
    EXPECT_EQ(AfxGetMainWnd(), nullptr);

    // Message boxes without an owner take the program's name as caption.
    std::string caption;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        caption = m.caption;
        m.End(IDYES);
    });
    EXPECT_EQ(AfxMessageBox("Продолжить?", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(caption, "Durmitt");
}

TEST(App, FilterStringsBecomeQtNameFilters)
{
    EXPECT_EQ(CFileDialog::TranslateFilter("Все файлы (*.*)|*.*||"), (std::vector<std::string>{"Все файлы (*.*)"}));
    EXPECT_EQ(CFileDialog::TranslateFilter("Рисунок|*.bmp;*.png|Текст (*.txt)|*.txt||"),
              (std::vector<std::string>{"Рисунок (*.bmp *.png)", "Текст (*.txt)"}));
    EXPECT_TRUE(CFileDialog::TranslateFilter(nullptr).empty());
    EXPECT_TRUE(CFileDialog::TranslateFilter("dangling|").empty());
}

TEST(App, SaveDialogAddsTheExtensionAndAsksBeforeReplacing)
{
    uitest::EnsureApplication();
    const std::filesystem::path dir = std::filesystem::path(uitest::OutputPath("platform_ui/files"));
    std::filesystem::create_directories(dir);
    const std::string existing = (dir / "screen.png").string();
    std::ofstream(existing) << "x";

    CFileDialog save(FALSE, "png", "screen", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "PNG (*.png)|*.png||");
    std::string question;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        EXPECT_EQ(m.kind, uihooks::ModalKind::FileDialog);
        m.fileName = (dir / "screen").string();
        m.End(IDOK);
    });
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        question = m.text;
        m.End(IDNO);  // keep the file: the dialog comes back
    });
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        m.fileName = (dir / "other.png").string();
        m.End(IDOK);
    });
    EXPECT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(question, "screen.png уже существует.\nЗаменить его?");
    EXPECT_EQ(save.GetPathName(), std::filesystem::absolute(dir / "other.png").string());
    EXPECT_EQ(save.GetFileExt(), "png");
    EXPECT_EQ(save.GetFileName(), "other.png");

    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "Все файлы (*.*)|*.*||");
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        m.fileName = (dir / "not-yet.dat").string();
        m.End(IDOK);
    });
    EXPECT_EQ(open.DoModal(), IDOK) << "an open dialog accepts a file that does not exist yet";
    uitest::OnNextModal([](uihooks::ModalContext& m) { m.End(IDCANCEL); });
    EXPECT_EQ(open.DoModal(), IDCANCEL);
}

// As a user fills a save dialog: picks a type in its list, types a name and presses Enter.
// A name without an extension takes the chosen type's; the default one only when the type
// names none.
TEST(App, ATypedNameWithoutExtensionTakesTheChosenTypes)
{
    uitest::EnsureApplication();
    const std::filesystem::path dir = std::filesystem::path(uitest::OutputPath("platform_ui/typed_names"));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const char* const images = "Несжатое изображение (*.bmp)|*.bmp|Сжатое изображение PNG (*.png)|*.png|"
                               "Сжатое изображение JPEG|*.jpg;*.jpeg|Все файлы (*.*)|*.*||";
    struct Case {
        int type;
        const char* typed;
        const char* saved;
    };
    const Case cases[] = {
        {2, "jpeg", "jpeg.jpg"},     // the first of the type's patterns
        {1, "png", "png.png"},
        {0, "bitmap", "bitmap.bmp"},
        {3, "all", "all.bmp"},        // "*.*" names no type: the default extension
        {2, "typed.gif", "typed.gif"}, // an extension the user typed stays
    };
    const std::string shots = uitest::OutputPath("platform_ui/file_dialog_type_chosen.png");
    for (const Case& c : cases) {
        CFileDialog save(FALSE, "bmp", "*.bmp", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, images);
        const std::string folder = dir.string();
        save.m_ofn.lpstrInitialDir = folder.c_str();
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            QWidget* types = uitest::ActiveModalPart("fileTypeCombo");
            ASSERT_NE(types, nullptr);
            uitest::SelectComboItem(types, c.type);
            QWidget* name = uitest::ActiveModalPart("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setFocus();  // as after a click into it
            uitest::KeyToActiveWindow('A', uitest::Control);
            uitest::TypeToActiveWindow(c.typed);
            if (&c == &cases[0]) {
                EXPECT_TRUE(uitest::RenderToPng(uitest::ActiveModalPart(), shots));
            }
            uitest::KeyToActiveWindow(VK_RETURN);
            uitest::ProcessEvents();
            if (uitest::ActiveModalPart() != nullptr) {
                ADD_FAILURE() << "Enter did not end the file dialog for " << c.typed;
                m.End(IDCANCEL);
            }
        });
        EXPECT_EQ(save.DoModal(), IDOK) << c.typed;
        EXPECT_EQ(std::string(save.GetPathName().c_str()), (dir / c.saved).string()) << "type " << c.type << ", typed " << c.typed;
    }
    EXPECT_EQ(CFileDialog::FilterExtension(images, 4), "");
    EXPECT_EQ(CFileDialog::FilterExtension(images, -1), "");
    EXPECT_EQ(CFileDialog::FilterExtension("Без расширения|README||", 0), "");
}

namespace {

// A folder for a file dialog to list: a folder and a text file in it.
std::filesystem::path ListedFolder(const char* name)
{
    const std::filesystem::path dir = std::filesystem::path(uitest::OutputPath(std::string("platform_ui/") + name));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "снимки");
    std::ofstream(dir / "журнал.txt") << "1\n";
    return dir;
}

// What the open file dialog's list shows in `column` for `path`, once its reading thread, whose
// rows come as events, has got that far.
std::string ListedText(QWidget* dialog, const std::filesystem::path& path, int column)
{
    auto* files = dialog->findChild<QFileSystemModel*>();
    if (files == nullptr) return "(no list)";
    const QModelIndex row = files->index(QString::fromStdString(path.string()), column);
    QString text;
    for (int i = 0; i < 100 && text.isEmpty(); ++i) {
        text = files->data(row).toString();
        if (text.isEmpty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    return text.toStdString();
}

}  // namespace

// Qt's own windows speak the program's language: the parts of a file dialog and the standard
// buttons of a message box read Russian, while numbers are still written and read with a '.'.
TEST(App, QtsOwnDialogsReadRussianAndNumbersKeepTheirPoint)
{
    uitest::EnsureApplication();
    // What the user reads, without the mnemonic marks.
    const auto shown = [](const QString& text) { return QString(text).remove(QLatin1Char('&')).toStdString(); };
    std::map<std::string, std::string> texts;
    const std::filesystem::path dir = ListedFolder("russian_dialog");
    const std::string folder = dir.string();
    CFileDialog save(FALSE, "txt", "log.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "Текст (*.txt)|*.txt||");
    save.m_ofn.lpstrInitialDir = folder.c_str();
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        uitest::ProcessEvents();
        QWidget* dialog = uitest::ActiveModalPart();
        ASSERT_NE(qobject_cast<QFileDialog*>(dialog), nullptr);
        texts["title"] = shown(dialog->windowTitle());
        texts["folderType"] = ListedText(dialog, dir / "снимки", 2);
        texts["driveType"] = ListedText(dialog, "/", 2);  // as "Компьютер" lists it
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            if (auto* label = qobject_cast<QLabel*>(uitest::ActiveModalPart(name))) texts[name] = shown(label->text());
        if (auto* box = qobject_cast<QDialogButtonBox*>(uitest::ActiveModalPart("buttonBox")))
            for (QAbstractButton* b : box->buttons()) texts[box->standardButton(b) == QDialogButtonBox::Cancel ? "cancel" : "save"] = shown(b->text());
        EXPECT_TRUE(uitest::RenderToPng(dialog, uitest::OutputPath("platform_ui/file_dialog_russian.png")));
        m.End(IDCANCEL);
    });
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    EXPECT_EQ(texts["title"], "Сохранить как");
    EXPECT_EQ(texts["lookInLabel"], "Перейти к:");
    EXPECT_EQ(texts["fileNameLabel"], "Имя файла:");
    EXPECT_EQ(texts["fileTypeLabel"], "Типы файлов:");
    EXPECT_EQ(texts["save"], "Сохранить");
    EXPECT_EQ(texts["cancel"], "Отмена");
    EXPECT_EQ(texts["folderType"], "Папка");
    EXPECT_EQ(texts["driveType"], "Диск");

    std::string yes;
    std::string no;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* box = qobject_cast<QMessageBox*>(uitest::ActiveModalPart());
        ASSERT_NE(box, nullptr);
        yes = shown(box->button(QMessageBox::Yes)->text());
        no = shown(box->button(QMessageBox::No)->text());
        m.End(IDNO);
    });
    EXPECT_EQ(AfxMessageBox("Заменить?", MB_YESNO), IDNO);
    EXPECT_EQ(yes, "Да");
    EXPECT_EQ(no, "Нет");

    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", 1.25);
    EXPECT_STREQ(text, "1.25");
    EXPECT_EQ(std::strtod("0.5", nullptr), 0.5);
}

// A file's type and date in the system's own short form show whole in the file dialog's list, and
// the dialog is wide enough for its columns beside a vertical scroll bar, so that the list never
// needs scrolling sideways. Also the second time, when Qt has kept the first dialog's columns.
TEST(App, TheFileDialogsListShowsItsColumnsWholeEveryTime)
{
    uitest::EnsureApplication();
    const std::filesystem::path dir = ListedFolder("file_dialog_columns");
    const std::string folder = dir.string();
    for (int time = 1; time <= 2; ++time) {
        CFileDialog save(FALSE, "csv", "*.csv", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         "Текст (*.txt)|*.txt|Таблица CSV (*.csv)|*.csv||");
        save.m_ofn.lpstrInitialDir = folder.c_str();
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            QWidget* dialog = uitest::ActiveModalPart();
            auto* list = dialog != nullptr ? dialog->findChild<QTreeView*>() : nullptr;
            if (list == nullptr) {
                ADD_FAILURE() << "no list in the file dialog";
                return m.End(IDCANCEL);
            }
            for (int column : {2, 3}) {
                const std::string text = ListedText(dialog, dir / "журнал.txt", column);
                EXPECT_GE(list->header()->sectionSize(column),
                          list->fontMetrics().horizontalAdvance(QString::fromStdString(text)) + 8)
                    << "time " << time << ", column " << column << ": " << text;
            }
            const int bar = list->verticalScrollBar()->isVisible()
                                ? 0
                                : list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
            EXPECT_LE(list->header()->length(), list->viewport()->width() - bar) << "time " << time;
            if (time == 2) {
                EXPECT_TRUE(uitest::RenderToPng(dialog, uitest::OutputPath("platform_ui/file_dialog_columns.png")));
            }
            m.End(IDCANCEL);
        });
        EXPECT_EQ(save.DoModal(), IDCANCEL);
    }
}

namespace {
class ScrollHost : public CDialog {
public:
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar)
    {
        codes.push_back(code);
        (void)pos;
        fromBar = bar;
    }
    std::vector<UINT> codes;
    CScrollBar* fromBar = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ScrollHost, CDialog)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()
}  // namespace

TEST(App, ScrollBarClicksReachTheParentAndTheThumbWaitsForTheProgram)
{
    uitest::EnsureApplication();
    ScrollHost host;
    ASSERT_TRUE(host.CreateIndirect(MainTemplate()));
    host.ShowWindow(SW_SHOW);
    auto* bar = static_cast<CScrollBar*>(host.GetDlgItem(1001));
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMax = 100;
    info.nPage = 10;
    info.nPos = 50;
    bar->SetScrollInfo(&info);
    CRect r;
    bar->GetClientRect(&r);
    uitest::ClickAt(bar, CPoint(r.right - 3, r.Height() / 2));  // the right arrow
    ASSERT_FALSE(host.codes.empty());
    EXPECT_EQ(host.codes.front(), SB_LINEDOWN);
    EXPECT_EQ(host.fromBar, bar);
    EXPECT_EQ(bar->GetScrollPos(), 50);
}

TEST(App, WindowsAreFoundByPoint)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(MainTemplate()));
    host.ShowWindow(SW_SHOW);
    CWnd* button = host.GetDlgItem(1000);
    CRect r;
    button->GetWindowRect(&r);
    EXPECT_EQ(CWnd::WindowFromPoint(r.CenterPoint()), button);
    CPoint inHost = r.CenterPoint();
    host.ScreenToClient(&inHost);
    EXPECT_EQ(host.ChildWindowFromPoint(inHost), button);
    button->ShowWindow(SW_HIDE);
    EXPECT_EQ(host.ChildWindowFromPoint(inHost), button) << "hidden children count";
    EXPECT_EQ(host.ChildWindowFromPoint(inHost, CWP_SKIPINVISIBLE), &host);
    EXPECT_EQ(CWnd::WindowFromPoint(r.CenterPoint()), &host) << "hidden windows do not";
    EXPECT_EQ(host.ChildWindowFromPoint(CPoint(-5, -5)), nullptr);
}

TEST(App, SystemAndProgramIconsAreHandlesThatButtonsShow)
{
    uitest::EnsureApplication();
    const HICON info = LoadIcon(nullptr, IDI_INFORMATION);
    ASSERT_NE(info, 0u);
    EXPECT_EQ(LoadIcon(nullptr, IDI_INFORMATION), info) << "made once";
    EXPECT_NE(LoadIcon(nullptr, IDI_ERROR), info);
    ICONINFO details{};
    EXPECT_TRUE(GetIconInfo(info, &details));

    RegisterIconResource(138, LoadIcon(nullptr, IDI_QUESTION));
    EXPECT_EQ(AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(138) : LoadIcon(nullptr, reinterpret_cast<const char*>(138)),
              LoadIcon(nullptr, IDI_QUESTION));

    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(MainTemplate()));
    auto* button = static_cast<CButton*>(host.GetDlgItem(1000));
    EXPECT_EQ(button->SetIcon(info), 0u);
    EXPECT_EQ(button->GetIcon(), info);
    EXPECT_EQ(host.SetIcon(info, TRUE), 0u);
    EXPECT_EQ(host.GetIcon(TRUE), info);
    EXPECT_EQ(host.GetIcon(FALSE), 0u);
}

// An icon button shows its image instead of its caption; the caption stays its window text
// and comes back when the image goes.
TEST(AppResources, IconButtonsShowTheImageAlone)
{
    uitest::EnsureApplication();
    CDialog host;
    ASSERT_TRUE(host.CreateIndirect(MainTemplate()));
    CButton iconButton;
    CButton plainButton;
    ASSERT_TRUE(iconButton.Create("Стоп", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_ICON, CRect(0, 0, 80, 24), &host, 2001));
    ASSERT_TRUE(plainButton.Create("Один", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 30, 80, 54), &host, 2002));
    const auto shown = [](CButton& b) { return static_cast<QPushButton*>(uitest::WidgetOf(&b))->text().toStdString(); };
    EXPECT_EQ(shown(iconButton), "Стоп");

    const HICON info = LoadIcon(nullptr, IDI_INFORMATION);
    iconButton.SetIcon(info);
    plainButton.SetIcon(info);
    EXPECT_EQ(shown(iconButton), "");
    EXPECT_EQ(shown(plainButton), "Один");
    iconButton.SetWindowText("Пуск");
    EXPECT_EQ(shown(iconButton), "");
    CString text;
    iconButton.GetWindowText(text);
    EXPECT_EQ(text, "Пуск");

    iconButton.SetIcon(0);
    EXPECT_EQ(shown(iconButton), "Пуск");
}
