// CWnd: modal loops and the hooks through which tests answer them.

#include "platform/ui/Wnd.h"

#include "platform/ui/UiHooks.h"
#include "platform/ui/WndImpl.h"

#include <QEventLoop>

#include <string>
#include <vector>

using namespace uiimpl;

// ---- hooks ----

namespace uihooks {
namespace {
std::vector<ModalHandler>& Handlers()
{
    static auto* handlers = new std::vector<ModalHandler>();
    return *handlers;
}
bool autoAnswer = false;
std::vector<std::string>& BoxLog()
{
    static auto* log = new std::vector<std::string>();
    return *log;
}
}  // namespace

void PushModalHandler(ModalHandler handler) { Handlers().push_back(std::move(handler)); }
void ClearModalHandlers() { Handlers().clear(); }
std::size_t PendingModalHandlers() { return Handlers().size(); }
void SetAutoAnswer(bool on) { autoAnswer = on; }
bool AutoAnswer() { return autoAnswer; }
std::vector<std::string> TakeMessageBoxLog()
{
    std::vector<std::string> out;
    out.swap(BoxLog());
    return out;
}
void LogMessageBox(const std::string& caption, const std::string& text) { BoxLog().push_back(caption + "|" + text); }

void ModalLoopStarted(ModalContext context)
{
    if (!Handlers().empty()) {
        ModalHandler handler = std::move(Handlers().front());
        Handlers().erase(Handlers().begin());
        PostToUi([handler = std::move(handler), context]() mutable { handler(context); });
        return;
    }
    if (autoAnswer) {
        PostToUi([context] {
            const UINT buttons = context.type & MB_TYPEMASK;
            int answer = IDCANCEL;
            if (context.kind == ModalKind::MessageBox) answer = buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL;
            context.End(answer);
        });
    }
}
}  // namespace uihooks

int CWnd::RunModalLoop(DWORD)
{
    Record* r = Find(m_hWnd);
    if (r == nullptr || r->widget == nullptr) return -1;
    if (modalEndPending_) {
        modalEndPending_ = false;
        return modalResult_;
    }
    const HWND h = m_hWnd;
    QEventLoop loop;
    modalLoop_ = &loop;
    inModalLoop_ = true;
    modalResult_ = -1;
    const QPointer<QWidget> owner = r->widget->parentWidget();
    const bool wasShown = BeginModal(r->widget);
    uihooks::ModalContext context;
    context.kind = uihooks::ModalKind::Dialog;
    context.window = this;
    context.caption = r->text;
    context.end = [h](int result, const uihooks::ModalContext&) {
        if (CWnd* w = FromHandlePermanent(h)) w->EndModalLoop(result);
    };
    uihooks::ModalLoopStarted(context);
    loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    inModalLoop_ = false;
    // However the loop ended (a button, Esc, the close box, EndModalLoop from code, the window
    // destroyed), the windows it blocked take input again. A window that was shown before the
    // loop stays shown; one the loop showed is left hidden.
    // The keyboard stays with a window that stays shown, and goes back to the owner otherwise.
    QWidget* w = WidgetOf(h);
    if (w != nullptr) EndModal(w, wasShown);
    ActivateAfterModal(w != nullptr && w->isVisible() ? w : owner.data());
    return modalResult_;
}

BOOL CWnd::ContinueModal() { return inModalLoop_; }

void CWnd::EndModalLoop(int result)
{
    // The loop is over from now on, even though it returns only when control gets back to it.
    modalResult_ = result;
    inModalLoop_ = false;
    if (modalLoop_ != nullptr) static_cast<QEventLoop*>(modalLoop_)->exit(result);
    else modalEndPending_ = true;
}
