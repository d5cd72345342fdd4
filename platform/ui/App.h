#pragma once
// The application object and the calls that belong to the whole program: message boxes, the
// main window, the program's entry.
//
// A program defines one global CWinApp-derived object and calls AfxWinMain from main():
// the Qt application is created, InitInstance runs (typically a modal main dialog), and the
// value of ExitInstance becomes the exit code.

#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

#include <string>
#include <vector>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns FALSE when the program should end after it (dialog programs always do).
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The icon registered under a resource id (RegisterIconResource), 0 when there is none.
    HICON LoadIcon(UINT id) const;

    // Kept for code written against the original; these have no Linux counterpart.
    void SetRegistryKey(const char*) {}
    void EnableHtmlHelp() {}

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    // The command line, program name first (AfxWinMain fills it).
    std::vector<std::string> m_args;
    // What ExitInstance returns unless a program overrides it.
    int exitCode_ = 0;
};

class CWinAppEx : public CWinApp {
public:
    explicit CWinAppEx(BOOL resourceSmartUpdate = FALSE, const char* appName = nullptr);
};

CWinApp* AfxGetApp();

// Icon resources of a program (the window icon 128, button images 131..140).
void RegisterIconResource(UINT id, HICON icon);

// System icons by their documented ids; each is made once, 32 x 32, from the desktop style's
// standard images.
inline const char* const IDI_APPLICATION = reinterpret_cast<const char*>(32512);
inline const char* const IDI_ERROR = reinterpret_cast<const char*>(32513);
inline const char* const IDI_HAND = reinterpret_cast<const char*>(32513);
inline const char* const IDI_QUESTION = reinterpret_cast<const char*>(32514);
inline const char* const IDI_WARNING = reinterpret_cast<const char*>(32515);
inline const char* const IDI_EXCLAMATION = reinterpret_cast<const char*>(32515);
inline const char* const IDI_INFORMATION = reinterpret_cast<const char*>(32516);
inline const char* const IDI_ASTERISK = reinterpret_cast<const char*>(32516);
HICON LoadIcon(void* instance, const char* iconId);
CWnd* AfxGetMainWnd();
// Runs the program object: InitInstance, then ExitInstance's value is the exit code. Uses the
// Qt application that exists, or makes one for the time of the call.
int AfxWinMain(int argc, char** argv);
// Creates the Qt application object for code that needs windows without AfxWinMain (tests).
void AfxEnsureApplication();

// Message boxes. From the UI thread: modal, returns the button pressed (IDOK, IDYES, ...).
// From any other thread: the box is shown on the UI thread later and the call returns IDOK
// at once without waiting. Without a Qt application the text goes to stderr.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);
int AfxShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Common-control and container set-up of the original: nothing to do here.
struct INITCOMMONCONTROLSEX {
    DWORD dwSize = 0;
    DWORD dwICC = 0;
};
inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
inline void InitCommonControls() {}
inline BOOL AfxEnableControlContainer() { return TRUE; }
inline BOOL AfxOleInit() { return TRUE; }
