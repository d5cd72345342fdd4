#pragma once
// CAsyncAnalyzer: the tool window "Анализатор асинхронных интерфейсов". It decodes start/stop
// serial frames of up to four logic nets of the captured memory, measures each net's bit rate
// by itself, lists the frames grouped into packets as text and draws them over the main chart.
//
// Decoding runs only when the user presses "Обработка": the settings are taken as a snapshot,
// the capture is made to end (single shot with a trigger, else stopped), and timer 1 waits for
// the complete read-out of the memory. The main window asks it to paint (DrawOverlay, from the
// chart's paint callback) and to forget its results when acquisition starts again
// (ClearResults).
//
// The members are spread over files by concern: window, pages and settings
// (AsyncAnalyzer.cpp), processing and decoding (AsyncAnalyzerProcess.cpp), the chart overlay
// (AsyncAnalyzerOverlay.cpp). UI thread only; the data model is read under DataLock.

#include "app/tooldialog/ToolDialog.h"
#include "logic/async/AsyncDecode.h"
#include "logic/async/TabAsyncCondition.h"
#include "logic/async/TabAsyncData.h"
#include "logic/async/TabAsyncDisplay.h"
#include "logic/async/TabAsyncResults.h"
#include "widgets/tabs/TabCtrlSSL.h"

#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

#include <array>
#include <memory>
#include <string>
#include <vector>

class CChartCtrl;
class CDC;
class OscData;

class CAsyncAnalyzer : public CToolDialog {
public:
    enum { IDD = 190 };
    static constexpr int kProcessId = 1110;
    static constexpr int kTabId = 1119;
    static constexpr UINT_PTR kWaitTimerId = 1;
    static constexpr UINT kWaitMs = 200;
    enum Page { PAGE_CONDITION = 0, PAGE_DATA = 1, PAGE_DISPLAY = 2, PAGE_RESULTS = 3 };

    // The settings processing took, used by decoding and painting until the next processing.
    struct Snapshot {
        int num_nets = 1;
        int markers = 0;
        int timeout = 0;
        int display = CTabAsyncDisplay::BOUNDS_AND_VALUE;
        std::array<AsyncNetSettings, CTabAsyncData::kRows> net{};
    };

    // Creates the hidden window (no parent) with its pages.
    CAsyncAnalyzer();
    ~CAsyncAnalyzer() override;

    void Reset() override;
    void OnShowTool(bool shown) override;

    // Paints the decoded frames over the main chart; `dc` is the chart's.
    void DrawOverlay(CDC* dc, CChartCtrl* chart);
    // Forgets the decoded frames and empties the results text.
    void ClearResults();

    // Decodes the memory with the snapshot's settings (the timer calls it once the read-out is
    // complete).
    void Decode();
    void DecodePlain(OscData& data);
    void DecodeMinMax(OscData& data);

    CTabAsyncCondition& ConditionPage() { return *condition_; }
    CTabAsyncData& DataPage() { return *data_; }
    CTabAsyncDisplay& DisplayPage() { return *display_; }
    CTabAsyncResults& ResultsPage() { return *results_; }
    CTabCtrlSSL& Tabs() { return tabs_; }
    const Snapshot& GetSnapshot() const { return snapshot_; }
    const std::vector<AsyncPacket>& Packets(int net) const { return packets_[static_cast<std::size_t>(net)]; }

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        using boost::serialization::make_nvp;
        const PtrOf<CTabAsyncCondition> condition{condition_.get()};
        const PtrOf<CTabAsyncData> data{data_.get()};
        const PtrOf<CTabAsyncDisplay> display{display_.get()};
        const PtrOf<CTabAsyncResults> results{results_.get()};
        archive << make_nvp("tab_condition", condition);
        archive << make_nvp("tab_data", data);
        archive << make_nvp("tab_display", display);
        archive << make_nvp("tab_results", results);
        archive << make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        using boost::serialization::make_nvp;
        PtrOf<CTabAsyncCondition> condition{condition_.get()};
        PtrOf<CTabAsyncData> data{data_.get()};
        PtrOf<CTabAsyncDisplay> display{display_.get()};
        PtrOf<CTabAsyncResults> results{results_.get()};
        archive >> make_nvp("tab_condition", condition);
        archive >> make_nvp("tab_data", data);
        archive >> make_nvp("tab_display", display);
        archive >> make_nvp("tab_results", results);
        archive >> make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // "Закрыть": resumes a capture that processing stopped, then hides.
    void OnCancel() override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnBnClickedProcess();
    afx_msg void OnTimer(UINT_PTR id);

private:
    // A page is stored inside a "ptr" element.
    template <class T>
    struct PtrOf {
        T* page;
        template <class Archive>
        void serialize(Archive& archive, unsigned int /*version*/)
        {
            archive & boost::serialization::make_nvp("ptr", *page);
        }
    };

    // The settings of the pages as they stand.
    Snapshot TakeSnapshot() const;
    void DecodeWith(OscData& data, bool twoWord);

    CTabCtrlSSL tabs_;
    std::unique_ptr<CTabAsyncCondition> condition_;
    std::unique_ptr<CTabAsyncData> data_;
    std::unique_ptr<CTabAsyncDisplay> display_;
    std::unique_ptr<CTabAsyncResults> results_;
    Snapshot snapshot_;
    // Nothing was stopped by a processing that never ran: closing then resumes nothing.
    bool was_stopped_ = true;
    std::array<std::vector<AsyncPacket>, CTabAsyncData::kRows> packets_;
};
