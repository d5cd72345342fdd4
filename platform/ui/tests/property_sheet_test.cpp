// Property sheets: pages built on demand, refusals keep the page, OK reaches every built page.

#include "platform/ui/PropertySheet.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

namespace {

const char* kPageText = R"(DIALOG %u
CAPTION "%s"
STYLE WS_CHILD | DS_SETFONT
SIZE 160 80
CONTROL Static IDC_STATIC "Частота среза, Гц:" 0            5 7 70 10
CONTROL Edit   1126 ""                         WS_BORDER | WS_TABSTOP 80 5 60 12
)";

class FilterPage : public CPropertyPage {
public:
    explicit FilterPage(UINT id) : CPropertyPage(id) {}
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 1126, freq);
        DDV_MinMaxUInt(dx, freq, 1, 500);
    }
    BOOL OnSetActive() override
    {
        activations++;
        return CPropertyPage::OnSetActive();
    }
    void OnOK() override { oks++; }
    UINT freq = 100;
    int activations = 0;
    int oks = 0;
};

class Sheets : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterDialogTemplateText(StringFormat(kPageText, 9801u, "ФНЧ").c_str()));
        ASSERT_TRUE(RegisterDialogTemplateText(StringFormat(kPageText, 9802u, "ФВЧ").c_str()));
        ASSERT_TRUE(RegisterDialogTemplateText(StringFormat(kPageText, 9803u, "ПФ").c_str()));
    }
    void TearDown() override { uitest::ProcessEvents(); }
};

}  // namespace

TEST_F(Sheets, ARefusingPageStaysAndOkReachesEveryBuiltPage)
{
    FilterPage low(9801);
    FilterPage high(9802);
    FilterPage band(9803);
    CPropertySheet sheet("Параметры КИХ фильтра", nullptr, 1);
    sheet.SetLook(PropSheetLook_List, 100);
    sheet.AddPage(&low);
    sheet.AddPage(&high);
    sheet.AddPage(&band);
    std::string refusal;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        EXPECT_EQ(sheet.GetActivePage(), &high);
        EXPECT_EQ(low.m_hWnd, nullptr) << "pages are built when first shown";
        uitest::ProcessEvents();
        uitest::RenderToPng(m.window, uitest::OutputPath("platform_ui/property_sheet.png"));
        CWnd* list = m.window->GetDlgItem(0x3020);
        uitest::TypeText(high.GetDlgItem(1126), "900");
        uitest::AnswerNextMessageBox(IDOK, &refusal);
        uitest::SelectListItem(list, 0);
        EXPECT_EQ(sheet.GetActiveIndex(), 1) << "the page with a bad value is kept";
        EXPECT_EQ(static_cast<CListBox*>(list)->GetCurSel(), 1);
        uitest::TypeText(high.GetDlgItem(1126), "250");
        uitest::SelectListItem(list, 0);
        EXPECT_EQ(sheet.GetActivePage(), &low);
        uitest::PressEnter(low.GetDlgItem(1126));
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(refusal, "Введите целое число от 1 до 500.");
    EXPECT_EQ(high.freq, 250u);
    EXPECT_EQ(low.oks, 1);
    EXPECT_EQ(high.oks, 1);
    EXPECT_EQ(band.oks, 0) << "never shown, never built";
    EXPECT_EQ(low.activations, 1);
    EXPECT_EQ(low.m_hWnd, nullptr);
}
