#pragma once
// Hooks through which tests take part in modal loops (dialogs, message boxes, file dialogs).
// A test queues handlers; each modal loop that starts takes the oldest handler and runs it from
// inside the loop, once the window is shown, so the handler can drive the window with real
// input events and end the loop. Without a queued handler a loop runs until the user ends it,
// unless auto-answer is on, in which case it ends at once with its cancel answer and is logged.

#include "platform/ui/UiTypes.h"

#include <functional>
#include <string>
#include <vector>

class CWnd;

namespace uihooks {

enum class ModalKind { Dialog, MessageBox, FileDialog, PrintDialog };

struct ModalContext {
    ModalKind kind = ModalKind::Dialog;
    CWnd* window = nullptr;      // the dialog (Dialog), the owner (MessageBox, FileDialog) or null
    std::string caption;         // window caption
    std::string text;            // message box text
    UINT type = 0;               // message box MB_* flags
    bool openDialog = false;     // file dialog: open rather than save
    std::string fileName;        // file dialog: the name the answer carries (full path);
                                 // print dialog: when set, OK prints into this PDF file
    // Ends the loop with a result (IDOK, IDCANCEL, IDYES, ...); a file dialog ended with IDOK
    // answers fileName.
    std::function<void(int result, const ModalContext& self)> end;
    void End(int result) const
    {
        if (end) end(result, *this);
    }
};

using ModalHandler = std::function<void(ModalContext&)>;

void PushModalHandler(ModalHandler handler);
void ClearModalHandlers();
std::size_t PendingModalHandlers();

void SetAutoAnswer(bool on);
bool AutoAnswer();
// "caption|text" of every message box shown, oldest first; cleared by taking it.
std::vector<std::string> TakeMessageBoxLog();

// Layer side: a modal loop has started; runs (queued) the next handler or the auto-answer.
void ModalLoopStarted(ModalContext context);
void LogMessageBox(const std::string& caption, const std::string& text);

}  // namespace uihooks
