#pragma once
// CLGeneratorDialog: the tool window "Логический генератор". It holds the pattern of eight
// logic lines in memory and lets the user edit it on a CDigitalBusCtrl that fills the window;
// nothing else reads the pattern, and it is not stored. Its commands go to the main window
// first, like those of the other tool windows that carry main-window controls.

#include "app/tooldialog/ToolDialog.h"
#include "logic/generator/DigitalBusCtrl.h"

#include <array>

class CLGeneratorDialog : public CToolDialog {
public:
    enum { IDD = 165 };
    static constexpr UINT kBusId = 1036;
    static constexpr int kRows = 8;
    static constexpr int kRowBytes = 64;
    // The smallest frame the user may drag the window to: the lines' names and a few bits of
    // two lines stay in view.
    static constexpr int kMinWidth = 200;
    static constexpr int kMinHeight = 150;

    // For the settings file's pointer loading: no window.
    CLGeneratorDialog();
    // Creates the window, hidden, as a modeless child of `parent` (the main window).
    explicit CLGeneratorDialog(CWnd* parent);
    ~CLGeneratorDialog() override;

    CDigitalBusCtrl& GetBus() { return bus_; }
    // Line k's bytes (kRowBytes of them), most significant bit first.
    const unsigned char* GetRowBytes(int row) const;

    VELKARO_TOOL_RECORD_OF_BASE()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    // Zeroes the pattern and fills it with the start-up counter.
    void FillInitialPattern();

    std::array<unsigned char, kRows * kRowBytes> pattern_{};
    CDigitalBusCtrl bus_;
    int margin_x_ = 0;
    int margin_y_ = 0;
};
