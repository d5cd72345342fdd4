#include "platform/ui/App.h"

#include "platform/gdi/GdiInternal.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/UiHooks.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndImpl.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {
CWinApp* theApp = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName != nullptr ? appName : "")
{
    theApp = this;
}

CWinApp::~CWinApp()
{
    if (theApp == this) theApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return exitCode_; }

CWinAppEx::CWinAppEx(BOOL, const char* appName) : CWinApp(appName) {}

CWinApp* AfxGetApp() { return theApp; }

namespace {
std::map<UINT, HICON>& IconResources()
{
    static auto* table = new std::map<UINT, HICON>();
    return *table;
}
}  // namespace

void RegisterIconResource(UINT id, HICON icon) { IconResources()[id] = icon; }

HICON CWinApp::LoadIcon(UINT id) const
{
    auto it = IconResources().find(id);
    return it == IconResources().end() ? 0 : it->second;
}

HICON LoadIcon(void*, const char* iconId)
{
    const auto id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(iconId));
    if (id < 32512 || id > 32516) {
        auto found = IconResources().find(id);
        return found == IconResources().end() ? 0 : found->second;
    }
    static auto* made = new std::map<UINT, HICON>();
    auto it = made->find(id);
    if (it != made->end()) return it->second;
    if (QApplication::instance() == nullptr) return 0;
    QStyle::StandardPixmap which = QStyle::SP_DesktopIcon;
    switch (id) {
    case 32513: which = QStyle::SP_MessageBoxCritical; break;
    case 32514: which = QStyle::SP_MessageBoxQuestion; break;
    case 32515: which = QStyle::SP_MessageBoxWarning; break;
    case 32516: which = QStyle::SP_MessageBoxInformation; break;
    default: break;
    }
    const QImage image = QApplication::style()->standardIcon(which).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    const HICON icon = gdi::CreateIconFromImage(image);
    (*made)[id] = icon;
    return icon;
}

CWnd* AfxGetMainWnd()
{
    if (theApp == nullptr || theApp->m_pMainWnd == nullptr) return nullptr;
    return theApp->m_pMainWnd->m_hWnd != nullptr ? theApp->m_pMainWnd : nullptr;
}

namespace {

// Qt's application object adopts the user's locale for everything; numbers are written and read
// with '.' as the decimal point whatever the user's language, so LC_NUMERIC goes back to "C".
void KeepNumbersInCLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

// Qt's own catalogue of Russian texts. It names folders and drives under the file dialog's
// context only, not under that of the icon provider which names the types in the dialog's list:
// there they would read "Folder" and "Drive" among Russian words, so the dialog's names are lent.
class QtCatalogue : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override
    {
        if (context != nullptr && source != nullptr && std::strcmp(context, "QAbstractFileIconProvider") == 0 &&
            (std::strcmp(source, "Folder") == 0 || std::strcmp(source, "Drive") == 0))
            return QTranslator::translate("QFileDialog", source);
        return QTranslator::translate(context, source, disambiguation, n);
    }
};

// The programs speak Russian whatever the user's language, so Qt's own windows (the file
// dialogs, the standard buttons of a box) speak it too. A translation changes texts only: the
// locale, and with it the way numbers are written and read, stays as it is.
void LoadQtTranslations(QApplication& app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QtCatalogue(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder)) {
        std::fprintf(stderr, "%s: no qtbase_ru.qm in %s: Qt's dialogs read English\n",
                     qPrintable(QCoreApplication::applicationName()), qPrintable(folder));
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
}

// What every program's application object gets before its first window.
void PrepareApplication(QApplication& app)
{
    KeepNumbersInCLocale();
    LoadQtTranslations(app);
    app.setFont(uiimpl::DialogFont());
    uiimpl::UseScrollBarLook();
}

}  // namespace

void AfxEnsureApplication()
{
    if (QCoreApplication::instance() != nullptr) return;
    // Without any display the windows still work, off screen.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "velkaro";
    static char* argv[] = {name, nullptr};
    auto* app = new uiimpl::Application(argc, argv);
    PrepareApplication(*app);
    uiimpl::EnsureEventFilter();
}

// The drawing layer calls this when it measures text before any window exists, so that the
// application object it needs is the full one the windows need too.
extern "C" void VelkaroEnsureApplication()
{
    AfxEnsureApplication();
}

int AfxWinMain(int argc, char** argv)
{
    std::unique_ptr<QApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app = std::make_unique<uiimpl::Application>(argc, argv);
        PrepareApplication(*app);
    }
    uiimpl::EnsureEventFilter();
    CWinApp* program = AfxGetApp();
    if (program == nullptr) return 1;
    program->m_args.assign(argv, argv + std::max(argc, 0));
    if (!program->m_pszAppName.empty()) QApplication::setApplicationName(QString::fromStdString(program->m_pszAppName));
    program->InitInstance();
    const int code = program->ExitInstance();
    program->m_pMainWnd = nullptr;
    // Widgets of windows destroyed at the end are deleted before the application goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

namespace {

QMessageBox::StandardButton ToQt(int id)
{
    switch (id) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    default: return QMessageBox::Cancel;
    }
}

int FromQt(int button)
{
    switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    default: return IDCANCEL;
    }
}

// The answer of a box nobody can see: the harmless choice.
int UnattendedAnswer(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
    }
}

// Whether window belongs to owner: owner itself or a window owned by it, however deep.
bool OwnedBy(const QWidget* window, const QWidget* owner)
{
    for (const QWidget* w = window; w != nullptr; w = w->parentWidget() != nullptr ? w->parentWidget()->window() : nullptr)
        if (w == owner) return true;
    return false;
}

// The window a box is modal to: the window of the owner's family the user works in (a modal
// sheet over a tool window, the tool window itself) rather than the owner under it. A box
// modal to the owner alone leaves that window held back by the box's owner, not by the box,
// and the X11 window system then hands the keyboard, which the box took, on to the owner:
// Return and Esc would go nowhere.
QWidget* BoxOwner(QWidget* owner)
{
    QWidget* chosen = owner;
    if (owner == nullptr) return chosen;
    for (QWidget* candidate : {QApplication::activeWindow(), QApplication::activeModalWidget()}) {
        if (candidate == nullptr || !candidate->isVisible()) continue;
        candidate = candidate->window();
        if (OwnedBy(candidate, chosen)) chosen = candidate;  // the deepest of them
    }
    return chosen;
}

}  // namespace

int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    std::string body = text != nullptr ? text : "";
    std::string title = caption != nullptr ? caption : "";
    if (title.empty() && AfxGetApp() != nullptr) title = AfxGetApp()->m_pszAppName;
    if (QCoreApplication::instance() == nullptr) {
        uihooks::LogMessageBox(title, body);
        std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
        return UnattendedAnswer(type);
    }
    if (!uiimpl::OnUiThread()) {
        // A worker never waits for the user: the box appears on the UI thread later.
        uiimpl::PostToUi([owner, body, title, type] { AfxShowMessageBox(owner, body.c_str(), title.c_str(), type); });
        return IDOK;
    }
    uihooks::LogMessageBox(title, body);

    QWidget* parent = uiimpl::WidgetOf(owner);
    if (parent == nullptr) {
        if (CWnd* main = AfxGetMainWnd()) parent = uiimpl::WidgetOf(main);
    }
    if (parent != nullptr) parent = BoxOwner(parent->window());
    QPointer<QMessageBox> box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    box->setWindowTitle(QString::fromStdString(title));
    box->setText(QString::fromStdString(body));
    box->setTextFormat(Qt::PlainText);
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: box->setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box->setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box->setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_YESNOCANCEL:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box->setStandardButtons(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
        break;
    }
    if ((type & MB_DEFBUTTON2) != 0 && (type & MB_TYPEMASK) == MB_YESNO) box->setDefaultButton(QMessageBox::No);
    box->setWindowModality(Qt::ApplicationModal);

    QEventLoop loop;
    int answer = UnattendedAnswer(type);
    QObject::connect(box, &QMessageBox::finished, &loop, [&answer, &loop](int result) {
        answer = FromQt(result);
        loop.quit();
    });
    box->open();
    // The keyboard goes to the new window at once, as the user expects of a question.
    uiimpl::RaiseWindow(box);
    box->activateWindow();
    uihooks::ModalContext context;
    context.kind = uihooks::ModalKind::MessageBox;
    context.window = CWnd::FromHandle(owner);
    context.caption = title;
    context.text = body;
    context.type = type;
    context.end = [box](int result, const uihooks::ModalContext&) {
        if (box != nullptr && box->isVisible()) box->done(ToQt(result));
    };
    uihooks::ModalLoopStarted(context);
    loop.exec(QEventLoop::DialogExec);
    delete box.data();
    uiimpl::ActivateAfterModal(parent);
    return answer;
}

int AfxMessageBox(const char* text, UINT type, UINT)
{
    CWnd* main = uiimpl::OnUiThread() ? AfxGetMainWnd() : nullptr;
    return AfxShowMessageBox(main != nullptr ? main->m_hWnd : nullptr, text, nullptr, type);
}

int AfxMessageBox(const CString& text, UINT type, UINT helpId) { return AfxMessageBox(text.c_str(), type, helpId); }

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    return AfxShowMessageBox(m_hWnd, text, caption, type);
}
