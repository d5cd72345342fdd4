#pragma once
// CDialogSave: "Опции сохранения", the main window's save command. The user picks the source
// (the screen's 300 points or the whole capture buffer) and the format (an image of the chart,
// a text report or a CSV table); "Сохранить" asks for the file name and writes it.
//
// While the dialog is open the acquisition is held, so that the buffer keeps one complete
// capture: a triggered acquisition finishes its current capture and stops, an untriggered one
// stops at once. Closing restarts an acquisition that was running when the dialog opened.

#include "platform/ui/Dialog.h"

#include <string>

class CChartCtrl;

class CDialogSave : public CDialog {
public:
    static constexpr UINT IDD = 145;
    static constexpr UINT kScreenId = 1096;
    static constexpr UINT kBufferId = 1097;
    static constexpr UINT kImageId = 1098;
    static constexpr UINT kTextId = 1099;
    static constexpr UINT kCsvId = 1101;
    static constexpr UINT kSaveId = 1063;
    static constexpr UINT kInfoId = 1022;
    static constexpr UINT_PTR kPollTimerId = 1;
    static constexpr UINT kPollMs = 500;

    // The image is made by `chart` (the main window's).
    explicit CDialogSave(CChartCtrl* chart, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // "Отмена", the close box, and the end of every save whose file name was confirmed.
    void OnCancel() override;

    // The format: 0 text, 1 image, 2 CSV. Set before DoModal; read back after it.
    int save_type = 0;

protected:
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnScreenClicked();
    afx_msg void OnBufferClicked();
    afx_msg void OnSaveClicked();
    DECLARE_MESSAGE_MAP()

private:
    void SaveImage();
    void SaveTable(bool csv, bool buffer);
    // The file cannot be opened (created) at all.
    void ShowFileError(const std::string& path);
    // The file was opened, but its content did not all reach the disk.
    void ShowWriteError(const std::string& path);

    CChartCtrl* chart_;
    bool was_stopped_ = false;
};

// The save command: runs the dialog over `parent` with the stored format and returns the format
// to store afterwards.
int RunSaveDialog(CChartCtrl* chart, CWnd* parent, int saveType);
