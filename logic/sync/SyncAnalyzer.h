#pragma once
// CSyncAnalyzer: the tool window "Анализатор синхронных интерфейсов". It decodes clocked
// serial data (SPI-like) of the captured buffer: one clock net, an optional chip select and up
// to four data nets, each contributing one bit per active clock edge to its current symbol.
// The symbols are listed as text and drawn over the main chart.
//
// "Обработка" takes a snapshot of the pages, makes the capture end and polls (timer 1) until
// the full memory has been read; then the window-free decoders of SyncDecode.h run on the
// buffer under DataLock. Closing resumes a capture that processing stopped.
//
// Members are split by concern: SyncAnalyzer.cpp (window, pages, lifecycle), SyncProcess.cpp
// (processing, polling, decoding), SyncOverlay.cpp (the chart overlay).

#include "app/tooldialog/ToolDialog.h"
#include "logic/sync/SyncArchive.h"
#include "logic/sync/SyncDecode.h"
#include "logic/sync/SyncPages.h"
#include "widgets/tabs/TabCtrlSSL.h"

#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>

#include <memory>

class CChartCtrl;
class CDC;
class OscData;

class CSyncAnalyzer : public CToolDialog {
public:
    enum { IDD = 180 };
    static constexpr UINT kTabId = 1130;
    static constexpr UINT kProcessId = 1110;
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT kPollMs = 200;
    enum Page { PAGE_CLK = 0, PAGE_CONDITION = 1, PAGE_DATA = 2, PAGE_DISPLAY = 3, PAGE_RESULTS = 4 };

    // Made hidden, with its pages; `parent` may be null (a top-level tool window).
    explicit CSyncAnalyzer(CWnd* parent = nullptr);
    ~CSyncAnalyzer() override;
    CSyncAnalyzer(const CSyncAnalyzer&) = delete;
    CSyncAnalyzer& operator=(const CSyncAnalyzer&) = delete;

    void Reset() override;
    void OnShowTool(bool shown) override;

    // Paints the decoded symbols and clock ticks over the main chart.
    void DrawOverlay(CDC* dc, CChartCtrl* chart);
    // Forgets the clock edges, the symbols and the text (a new acquisition began).
    void ClearResults();

    static CString FormatSymbol(const SyncSymbol& symbol, int bits) { return SyncFormatSymbol(symbol, bits); }

    // Runs the decoder that fits the sample layout and the chip-select setting, then shows the
    // text on the results page. Under DataLock.
    void Decode();
    void DecodePlain();
    void DecodePlainWithCs();
    void DecodeMinMax();
    void DecodeMinMaxWithCs();

    // For the main window's tests and the overlay.
    const SyncResult& GetResult() const { return result_; }
    const SyncSettings& GetSettings() const { return settings_; }
    const CString& GetResultsText() const { return text_; }
    CTabCtrlSSL& GetTabs() { return tabs_; }
    CTabSyncClk& GetClockPage() { return *tab_clk_; }
    CTabSyncCondition& GetConditionPage() { return *tab_condition_; }
    CTabSyncData& GetDataPage() { return *tab_data_; }
    CTabSyncDisplay& GetDisplayPage() { return *tab_display_; }
    CTabSyncResults& GetResultsPage() { return *tab_results_; }

    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        // What the pages show is what is stored, processed or not.
        if (Archive::is_saving::value) ReadPages();
        auto clk = OwnedElement(tab_clk_);
        auto condition = OwnedElement(tab_condition_);
        auto data = OwnedElement(tab_data_);
        auto display = OwnedElement(tab_display_);
        auto results = OwnedElement(tab_results_);
        archive & boost::serialization::make_nvp("tab_clk", clk);
        archive & boost::serialization::make_nvp("tab_condition", condition);
        archive & boost::serialization::make_nvp("tab_data", data);
        archive & boost::serialization::make_nvp("tab_display", display);
        archive & boost::serialization::make_nvp("tab_results", results);
        archive & boost::serialization::make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
    }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Every way of closing applies the resume rule, then hides the window.
    void OnCancel() override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnBnClickedProcess();
    afx_msg void OnTimer(UINT_PTR id);

private:
    void ReadPages();
    // The sample words of the capture as the decoders read them. DataLock held.
    static SyncCaptureView CaptureView(const OscData& data);
    void ShowResults();
    void RunDecoder(void (*decoder)(const SyncCaptureView&, const SyncSettings&, SyncResult&));

    CTabCtrlSSL tabs_;
    std::unique_ptr<CTabSyncClk> tab_clk_;
    std::unique_ptr<CTabSyncCondition> tab_condition_;
    std::unique_ptr<CTabSyncData> tab_data_;
    std::unique_ptr<CTabSyncDisplay> tab_display_;
    std::unique_ptr<CTabSyncResults> tab_results_;

    SyncSettings settings_;
    int display_clk_ = CTabSyncDisplay::CLK_SYMBOL_START;
    int display_data_ = CTabSyncDisplay::DATA_BOUNDS_VALUE;
    // Stopped until a processing records otherwise: closing before any resumes nothing.
    bool was_stopped_ = true;
    SyncResult result_;
    CString text_;
};
