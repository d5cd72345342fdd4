#pragma once
// CMeasureDialog: the tool window "Измерения". Nine automatic measurements of each analogue
// channel, one column per channel, rebuilt from the data model whenever a measurement pass has
// finished. The window holds nothing of its own but the table: the model is the only truth.

#include "app/tooldialog/ToolDialog.h"
#include "widgets/reportlist/ReportCtrl.h"

#include <boost/serialization/version.hpp>

class OscData;

class CMeasureDialog : public CToolDialog {
public:
    enum { IDD = 132 };
    static constexpr UINT kListId = 1053;
    static constexpr int kRows = 9;
    static constexpr int kChannels = 2;

    // For the settings file's pointer loading: no window.
    CMeasureDialog();
    // Creates the window, hidden, as a modeless child of `parent` (the main window).
    explicit CMeasureDialog(CWnd* parent);
    ~CMeasureDialog() override;

    // Writes the latest measurement pass into the table (every tick of the main window).
    void Refresh() override;

    CReportCtrl& GetList() { return list_; }

    VELKARO_TOOL_RECORD_OF_BASE()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    // The nine texts of one channel, row by row, with their labels.
    void WriteChannel(const OscData& data, int channel);

    CReportCtrl list_;
};

BOOST_CLASS_VERSION(CMeasureDialog, 0)
