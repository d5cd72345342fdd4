#pragma once
// CDialogDigTrigLevel: the modal dialog "Условие цифрового триггера". It edits the logic trigger
// of the data model: an 8-bit pattern over the eight lines of the trigger channel, as a number
// and as one check box per line, and whether any checked line fires the trigger ("По маске
// (ИЛИ)") or the lines must equal the pattern ("Равно (И)").
//
// Every way out of the dialog ("Закрыть", Esc, Enter, the close box) applies what it shows, as
// "Применить" does; there is nothing to cancel. The data model is read and written under
// DataLock; a change marks the trigger or the capture for the acquisition side to redo.

#include "platform/ui/Dialog.h"
#include "widgets/reportlist/ReportCtrl.h"

#include <cstdint>

class CDialogDigTrigLevel : public CDialog {
public:
    enum { IDD = 141 };
    static constexpr UINT kMaskModeId = 1079;
    static constexpr UINT kEqualModeId = 1080;
    static constexpr UINT kValueId = 1081;
    static constexpr UINT kApplyId = 1105;
    static constexpr UINT kListId = 1108;
    static constexpr int kLines = 8;

    explicit CDialogDigTrigLevel(CWnd* parent = nullptr);

    // Stores the shown value and mode into the data model.
    void Apply();

    CReportCtrl& GetList() { return list_; }
    // The trigger channel the rows name: 0 (A) or 1 (B).
    int GetChannel() const { return channel_; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    afx_msg void OnValueChange();
    afx_msg LRESULT OnReportCtrlSelect(WPARAM row, LPARAM message);
    DECLARE_MESSAGE_MAP()

private:
    // Row i is line 7 - i, so the pattern reads left to right from the top row down.
    static std::uint8_t RowBit(int row) { return static_cast<std::uint8_t>(0x80 >> row); }
    void ShowChecks(std::uint8_t value);
    std::uint8_t ShownValue() const;

    CString value_text_;
    CReportCtrl list_;
    int channel_ = 1;
};
