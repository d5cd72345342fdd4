#pragma once
// The synchronous decoder's window inside the running main window, driven as a user does:
// tabs clicked, nets picked in the combos, "Обработка" and "Закрыть" pressed.

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "logic/sync/SyncAnalyzer.h"
#include "platform/ui/testing/UiTest.h"
#include "tools/markers/MarkerDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class SyncWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        demoInstrument->SetVersion(4, 0);
        // The vertical markers a start can be taken from live in the marker window.
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            if (slot != CToolDialogList::MARKER) return nullptr;
            return std::make_unique<CMarkerDialog>(&main);
        });
        dir_ = std::filesystem::path(uitest::OutputPath("logic_sync")) /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    // Made hidden over the main window, then shown the way its owner's button shows it.
    static std::unique_ptr<CSyncAnalyzer> Open(CVelkaroDlg& main)
    {
        auto a = std::make_unique<CSyncAnalyzer>(&main);
        a->ShowWindow(SW_SHOW);
        a->OnShowTool(true);
        uitest::ProcessEvents();
        return a;
    }

    static void ShowPage(CSyncAnalyzer& a, int page)
    {
        CRect item;
        ASSERT_TRUE(a.GetTabs().GetItemRect(page, &item));
        uitest::ClickAt(&a.GetTabs(), item.CenterPoint());
        ASSERT_EQ(a.GetTabs().GetCurSel(), page);
    }

    // The combo's entry of a net: channel A's lines 7..0, then channel B's.
    static void PickNet(CComboNet& combo, int channel, int line)
    {
        uitest::SelectComboItem(&combo, channel * 8 + 7 - line);
        ASSERT_EQ(combo.SelectedChannel(), channel);
        ASSERT_EQ(combo.SelectedLine(), line);
    }

    static void Check(CWnd* page, int id, bool on)
    {
        auto* box = static_cast<CButton*>(page->GetDlgItem(id));
        if ((box->GetCheck() == BST_CHECKED) != on) uitest::Click(box);
    }

    // Clock, optional /CS and data nets, as the user sets them on the pages.
    static void Configure(CSyncAnalyzer& a, int clkChannel, int clkLine, int csLine, int dataChannel,
                          const std::vector<int>& dataLines, int bits = 8)
    {
        ShowPage(a, CSyncAnalyzer::PAGE_CLK);
        PickNet(*a.GetClockPage().clk_net, clkChannel, clkLine);
        uitest::SelectComboItem(a.GetClockPage().GetDlgItem(1113), bits - 4);
        ShowPage(a, CSyncAnalyzer::PAGE_CONDITION);
        Check(&a.GetConditionPage(), 1132, csLine >= 0);
        if (csLine >= 0) {
            PickNet(*a.GetConditionPage().cs_net, 1, csLine);
            Check(&a.GetConditionPage(), 1118, true);
        }
        ShowPage(a, CSyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(a.GetDataPage().GetDlgItem(1131), static_cast<int>(dataLines.size()) - 1);
        for (std::size_t i = 0; i < dataLines.size(); ++i)
            PickNet(*a.GetDataPage().data_net[i], dataChannel, dataLines[i]);
    }

    static void Process(CSyncAnalyzer& a) { uitest::Click(a.GetDlgItem(CSyncAnalyzer::kProcessId)); }

    // Polls as the window's timer does until the capture has been decoded.
    static bool WaitDecoded(CSyncAnalyzer& a)
    {
        return WaitUntil([&] {
            if (uitest::TimerPeriod(&a, CSyncAnalyzer::kPollTimer) == 0) return true;
            uitest::FireTimer(&a, CSyncAnalyzer::kPollTimer);
            return uitest::TimerPeriod(&a, CSyncAnalyzer::kPollTimer) == 0;
        });
    }

    std::filesystem::path dir_;
};
