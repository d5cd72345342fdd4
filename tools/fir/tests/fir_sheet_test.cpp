// The FIR sheet as a user meets it: pages chosen in the list, lengths in the combo, values typed,
// OK and cancel clicked.

#include "tools/fir/BPF.h"
#include "tools/fir/CPropertySheetFIR.h"
#include "tools/fir/HPF.h"
#include "tools/fir/HannWindow.h"
#include "tools/fir/LPF.h"

#include "platform/ui/testing/LeftOpen.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kPageList = 0x3020;  // the sheet's list of pages
constexpr UINT kFs = 1000000;

class FirSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
    }
    void TearDown() override { uitest::ProcessEvents(); }

    // Runs the sheet with the user's actions inside its modal loop.
    static INT_PTR Run(CPropertySheetFIR& sheet, const std::function<void(CDialog*)>& user)
    {
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            user(static_cast<CDialog*>(m.window));
            uitest::EndIfLeftOpen(m, "the test's actions");
        });
        return sheet.DoModal();
    }

    static CWnd* Control(CPropertySheetFIR& sheet, int page, int id) { return sheet.GetPage(page)->GetDlgItem(id); }
    static void ChoosePage(CDialog* frame, int page) { uitest::SelectListItem(frame->GetDlgItem(kPageList), page); }
    static std::string Text(CWnd* wnd)
    {
        CString s;
        wnd->GetWindowText(s);
        return s;
    }
};

FIRParams Params(std::int32_t len, FIRType type, std::uint32_t freq = 0, std::uint32_t freq2 = 0)
{
    FIRParams p;
    p.len = len;
    p.type = type;
    p.freq = freq;
    p.freq2 = freq2;
    return p;
}

}  // namespace

TEST_F(FirSheet, AnUnknownLengthOpensAtSixtyFourTapsAndNyquistIsInKilohertz)
{
    CPropertySheetFIR sheet(Params(100, FIR_TYPE_LPF), kFs);
    std::vector<std::string> titles;
    const INT_PTR result = Run(sheet, [&](CDialog* frame) {
        auto* length = static_cast<CComboBox*>(Control(sheet, 0, 1151));
        ASSERT_EQ(length->GetCount(), 5);
        CString chosen;
        length->GetLBText(length->GetCurSel(), chosen);
        EXPECT_EQ(chosen, "64");
        EXPECT_EQ(Text(Control(sheet, 0, 1157)), "Частота Найквиста 500.000 КГц");
        EXPECT_EQ(Text(Control(sheet, 0, 1126)), std::to_string(kFs / 6)) << "a cut-off of 0 starts at a sixth of Fs";
        // Every page, as the user sees it.
        const char* names[] = {"lowpass", "highpass", "bandpass", "manual"};
        for (int page = 0; page < 4; ++page) {
            ChoosePage(frame, page);
            ASSERT_EQ(sheet.GetActiveIndex(), page);
            uitest::ProcessEvents();
            EXPECT_TRUE(uitest::RenderToPng(frame, uitest::OutputPath(std::string("tools_fir/sheet_") + names[page] + ".png")));
            titles.push_back(sheet.GetPage(page)->GetTitle());
        }
        EXPECT_EQ(Text(Control(sheet, 2, 1127)), std::to_string(kFs / 3));
        uitest::Click(frame->GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(titles, (std::vector<std::string>{"ФНЧ", "ФВЧ", "ПФ", "Вручную"}));
    EXPECT_EQ(sheet.TakeFilter(), nullptr) << "a cancelled sheet hands out no filter";
}

TEST_F(FirSheet, NyquistReadsInTheUnitOfItsSize)
{
    EXPECT_EQ(CPropPageFIRType::NyquistText(2000000), "Частота Найквиста 1.000 МГц");
    EXPECT_EQ(CPropPageFIRType::NyquistText(1999998), "Частота Найквиста 999.999 КГц");
    EXPECT_EQ(CPropPageFIRType::NyquistText(1999), "Частота Найквиста 999.500 Гц");
}

TEST_F(FirSheet, AcceptingOnTheHighPassPageBuildsThatFilterAndSetsTypeOne)
{
    CPropertySheetFIR sheet(Params(128, FIR_TYPE_BPF, 1000, 2000), kFs);
    const INT_PTR result = Run(sheet, [&](CDialog* frame) {
        EXPECT_EQ(sheet.GetActiveIndex(), 2) << "opens on the page of its type";
        ChoosePage(frame, 1);
        uitest::SelectComboItem(Control(sheet, 1, 1151), 1);
        uitest::TypeText(Control(sheet, 1, 1126), "125000");
        uitest::Click(frame->GetDlgItem(IDOK));
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(sheet.params.type, FIR_TYPE_HPF);
    EXPECT_EQ(sheet.params.len, 32);
    EXPECT_EQ(sheet.params.freq, 125000u);
    EXPECT_EQ(sheet.params.freq2, 2000u);
    const std::unique_ptr<FIR> filter = sheet.TakeFilter();
    auto* hpf = dynamic_cast<HPF*>(filter.get());
    ASSERT_NE(hpf, nullptr);
    EXPECT_EQ(hpf->GetCutoff(), 125000.0);
    EXPECT_EQ(hpf->Fs, static_cast<double>(kFs));
    HannWindow window(128, 32);
    window.FillGrid();
    window.Fill();
    const HPF expected(window, kFs, 125000.0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(hpf->taps[i], expected.taps[i]) << "tap " << i;
    EXPECT_EQ(sheet.TakeFilter(), nullptr) << "taken once";
}

TEST_F(FirSheet, ABandWithItsEdgesReversedIsAcceptedAsAnAllZeroFilter)
{
    CPropertySheetFIR sheet(Params(16, FIR_TYPE_BPF), kFs);
    const INT_PTR result = Run(sheet, [&](CDialog* frame) {
        uitest::TypeText(Control(sheet, 2, 1126), "300000");
        uitest::TypeText(Control(sheet, 2, 1127), "100000");
        uitest::Click(frame->GetDlgItem(IDOK));
    });
    ASSERT_EQ(result, IDOK);
    const std::unique_ptr<FIR> filter = sheet.TakeFilter();
    auto* bpf = dynamic_cast<BPF*>(filter.get());
    ASSERT_NE(bpf, nullptr);
    EXPECT_EQ(bpf->GetCutoff(), 100000.0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(bpf->taps[i], 0.0);
    EXPECT_TRUE(std::isinf(bpf->magnitude[0]));
    EXPECT_EQ(sheet.params.type, FIR_TYPE_BPF);
}

TEST_F(FirSheet, HandEnteredCoefficientsFillTheTapsInOrder)
{
    struct Case {
        const char* text;
        std::vector<double> first;
    };
    const Case cases[] = {
        {"1;0,5", {1, 0, 5}},
        {"nan 0x10 1e400 -.5e1", {0, 0, 0, -5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CPropertySheetFIR sheet(Params(128, FIR_TYPE_MANUAL), kFs);
        const INT_PTR result = Run(sheet, [&](CDialog* frame) {
            uitest::SelectComboItem(Control(sheet, 3, 1151), 0);
            uitest::TypeText(Control(sheet, 3, 1126), c.text);
            uitest::Click(frame->GetDlgItem(IDOK));
        });
        ASSERT_EQ(result, IDOK);
        EXPECT_EQ(sheet.params.type, FIR_TYPE_MANUAL);
        EXPECT_EQ(sheet.params.len, 16);
        EXPECT_EQ(sheet.coefficients, c.text);
        const std::unique_ptr<FIR> filter = sheet.TakeFilter();
        ASSERT_NE(filter, nullptr);
        ASSERT_EQ(filter->T, 16);
        EXPECT_EQ(filter->N, 64);
        std::vector<double> taps(filter->taps.getcontent(), filter->taps.getcontent() + 16);
        std::vector<double> expected = c.first;
        expected.resize(16, 0.0);
        EXPECT_EQ(taps, expected);
        // The response is that of the entered taps: their sum at 0 Hz.
        double sum = 0;
        for (const double t : expected) sum += t;
        EXPECT_NEAR(filter->magnitude[0], 20 * std::log10(std::fabs(sum)), 1e-9);
    }
}

TEST_F(FirSheet, AnOutOfRangeCutoffIsRefusedAndThePageKept)
{
    CPropertySheetFIR sheet(Params(64, FIR_TYPE_LPF, 20000), kFs);
    std::vector<std::string> messages;
    const INT_PTR result = Run(sheet, [&](CDialog* frame) {
        for (const char* bad : {"500001", "0"}) {
            uitest::TypeText(Control(sheet, 0, 1126), bad);
            std::string message;
            uitest::AnswerNextMessageBox(IDOK, &message);
            uitest::Click(frame->GetDlgItem(IDOK));
            messages.push_back(message);
            EXPECT_TRUE(frame->IsWindowVisible()) << "the sheet stays open";
            EXPECT_EQ(sheet.GetActiveIndex(), 0);
        }
        std::string message;
        uitest::AnswerNextMessageBox(IDOK, &message);
        ChoosePage(frame, 1);
        EXPECT_EQ(sheet.GetActiveIndex(), 0) << "nor can the user leave the page";
        EXPECT_EQ(message, "Введите целое число от 1 до 500000.");
        uitest::TypeText(Control(sheet, 0, 1126), "500000");
        uitest::Click(frame->GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(messages, (std::vector<std::string>(2, "Введите целое число от 1 до 500000.")));
    EXPECT_EQ(sheet.TakeFilter(), nullptr);
}

TEST_F(FirSheet, ATypeOutsideThePagesOpensTheFirstPage)
{
    CPropertySheetFIR sheet(Params(256, static_cast<FIRType>(7), 1000), kFs);
    const INT_PTR result = Run(sheet, [&](CDialog* frame) {
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        uitest::Click(frame->GetDlgItem(IDOK));
    });
    ASSERT_EQ(result, IDOK);
    EXPECT_EQ(sheet.params.type, FIR_TYPE_LPF);
    EXPECT_EQ(sheet.params.len, 256);
    const std::unique_ptr<FIR> filter = sheet.TakeFilter();
    ASSERT_NE(dynamic_cast<LPF*>(filter.get()), nullptr);
    EXPECT_EQ(filter->T, 256);
}
