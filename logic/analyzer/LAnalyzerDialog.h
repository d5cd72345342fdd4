#pragma once
// CLAnalyzerDialog: the tool window "Логический анализатор". It lists the logic nets of the
// channels that can carry logic lines, lets the user rename each in place (CNetEdit) and pick
// with its check box whether the net is drawn, switches the net labels on the chart, and opens
// the two protocol analysers. Names, display flags and the label flag belong to the main
// window; this window only edits them. Its commands go to the main window first, like those of
// the other tool windows that carry main-window controls.

#include "app/main/LogicAnalyzerLink.h"
#include "app/tooldialog/ToolDialog.h"
#include "logic/async/AsyncAnalyzer.h"
#include "logic/sync/SyncAnalyzer.h"
#include "widgets/reportlist/ReportCtrl.h"
#include "widgets/tooltip/PPToolTip.h"

#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

#include <memory>

class CNetEdit;

class CLAnalyzerDialog : public CToolDialog, public LogicAnalyzerLink {
public:
    enum { IDD = 147 };
    static constexpr UINT kListId = 1108;
    static constexpr UINT kSyncButtonId = 1109;
    static constexpr UINT kAsyncButtonId = 1110;
    static constexpr UINT kShowNamesId = 1129;

    // For the settings file's pointer loading: no window.
    CLAnalyzerDialog();
    // Creates the window, hidden, as a modeless child of `parent` (the main window).
    explicit CLAnalyzerDialog(CWnd* parent);
    ~CLAnalyzerDialog() override;

    void Reset() override;
    void OnShowTool(bool shown) override;

    // The main window's calls: both decoders paint over its chart, synchronous first, and forget
    // their results when the acquisition runs again.
    void DrawDecoderOverlays(CDC& dc, CChartCtrl& chart) override;
    void ClearDecoderResults() override;

    CReportCtrl& GetList() { return list_; }
    // The protocol analysers, made by the window's initialisation; null without a window.
    CSyncAnalyzer* GetSyncAnalyzer() const { return sync_.get(); }
    CAsyncAnalyzer* GetAsyncAnalyzer() const { return async_.get(); }
    // The list's editor: always a CNetEdit once the window exists.
    CNetEdit* GetNetEdit() const;

    // Each analyser is stored inside its own element; loading fills the analysers that exist.
    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        archive & boost::serialization::make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
        auto sync = OwnedElement(sync_);
        archive & boost::serialization::make_nvp("sync_analyzer", sync);
        auto async = OwnedElement(async_);
        archive & boost::serialization::make_nvp("async_analyzer", async);
    }
    VELKARO_TOOL_RECORD()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    afx_msg void OnBnClickedShowNetNames();
    afx_msg void OnBnClickedSyncAnalyzer();
    afx_msg void OnBnClickedAsyncAnalyzer();
    afx_msg LRESULT OnReportCtrlSelect(WPARAM row, LPARAM message);
    DECLARE_MESSAGE_MAP()

private:
    // Rows of the nets of the channels that carry logic lines, and a new editor for them.
    void RebuildNetList();

    CPPToolTip tooltip_;
    CReportCtrl list_;
    // Destroyed in reverse: the asynchronous analyser goes first.
    std::unique_ptr<CSyncAnalyzer> sync_;
    std::unique_ptr<CAsyncAnalyzer> async_;
};
