#pragma once
// CAboutDlg: the About box of the main window's menu: the program's icon, its version (the one
// compiled into the program) and the change history of our releases.

#include "platform/ui/Dialog.h"

#include <string>

class CAboutDlg : public CDialog {
public:
    static constexpr UINT IDD = 100;
    static constexpr UINT IDC_ICON = 1000;
    static constexpr UINT IDC_VERSION = 1104;
    static constexpr UINT IDC_HISTORY = 1126;

    explicit CAboutDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    // "major.minor.patch.tweak" of this build, or "неизвестна" when the build gave none.
    static std::string GetVersionText();
    // The two lines of control 1104.
    static std::string GetVersionLine();
    // The change history, newest release first, with CR LF line ends.
    static const char* GetChangeHistory();
};
