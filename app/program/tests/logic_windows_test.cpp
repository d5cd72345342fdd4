// The main window with the logic windows as the program composes it: the analyser's button
// where the instrument has logic lines, the generator's hidden one, the digital trigger's
// dialog behind "Условие ЛА", what a reset of the windows leaves, and their records in the
// settings file. Input goes through the window system's path.

#include "support/ProgramWindowTest.h"

#include "core/data/OscData.h"
#include "logic/analyzer/LAnalyzerDialog.h"
#include "logic/digtrigger/DialogDigTrigLevel.h"
#include "logic/generator/LGeneratorDialog.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

class LogicWindowsTest : public ProgramWindowTest {
protected:
    static CLAnalyzerDialog& Analyzer(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CLAnalyzerDialog*>(d.GetToolDialog(CToolDialogList::LANALYZER));
        EXPECT_NE(w, nullptr);
        return *w;
    }
    static CLGeneratorDialog& Generator(CVelkaroDlg& d)
    {
        auto* w = dynamic_cast<CLGeneratorDialog*>(d.GetToolDialog(CToolDialogList::LGENERATOR));
        EXPECT_NE(w, nullptr);
        return *w;
    }
    // Both channels on and running, B in logic mode or not; then the trigger list picks A and B.
    static void TriggerOnB(CVelkaroDlg& d, bool logic)
    {
        WithData([&](OscData& data) {
            data.mode &= ~MODE_STOPPED;
            data.osc_cr = static_cast<std::uint16_t>(data.osc_cr | OSC_CR_CH_A_ON | OSC_CR_CH_B_ON);
            data.osc_cr = static_cast<std::uint16_t>(logic ? data.osc_cr | OSC_CR_LOGIC_B : data.osc_cr & ~OSC_CR_LOGIC_B);
        });
        uitest::SelectListItem(d.GetDlgItem(1029), 1);
        uitest::SelectListItem(d.GetDlgItem(1029), 2);
        Tick(d);
    }
};

}  // namespace

TEST_F(LogicWindowsTest, TheAnalyserOpensWhereTheInstrumentHasLogicLinesAndTheGeneratorOnlyFromItsHiddenButton)
{
    RunWindow([&](CVelkaroDlg& d) {
        CLAnalyzerDialog& analyzer = Analyzer(d);
        CLGeneratorDialog& generator = Generator(d);
        EXPECT_FALSE(analyzer.IsWindowVisible());
        EXPECT_FALSE(generator.IsWindowVisible());
        CString caption;
        d.GetDlgItemText(CVelkaroDlg::kLogicAnalyzerButtonId, caption);
        EXPECT_EQ(caption, "Логич. анализатор");
        CWnd* analyzerButton = d.GetDlgItem(CVelkaroDlg::kLogicAnalyzerButtonId);

        // Variant 1 has no logic lines: the button takes no click.
        SwitchVariant(d, 1);
        EXPECT_FALSE(analyzerButton->IsWindowEnabled());
        uitest::Click(analyzerButton);
        EXPECT_FALSE(analyzer.IsWindowVisible());

        SwitchVariant(d, 4);
        ASSERT_TRUE(analyzerButton->IsWindowEnabled());
        uitest::Click(analyzerButton);
        EXPECT_TRUE(analyzer.IsWindowVisible());
        EXPECT_EQ(analyzer.GetList().GetItemCount(), 16) << "shown with the nets of both channels";
        uitest::Click(analyzerButton);
        EXPECT_FALSE(analyzer.IsWindowVisible());

        // "ЛГ" is hidden at start; once shown it toggles the generator.
        CWnd* generatorButton = d.GetDlgItem(CVelkaroDlg::kLogicGeneratorButtonId);
        EXPECT_FALSE(generatorButton->IsWindowVisible());
        uitest::Click(generatorButton);
        EXPECT_FALSE(generator.IsWindowVisible());
        generatorButton->ShowWindow(SW_SHOW);
        uitest::Click(generatorButton);
        EXPECT_TRUE(generator.IsWindowVisible());

        // A reset of the windows hides the analyser and its decoders, not the generator.
        uitest::Click(analyzerButton);
        uitest::Click(analyzer.GetDlgItem(CLAnalyzerDialog::kAsyncButtonId));
        uitest::Click(analyzer.GetDlgItem(CLAnalyzerDialog::kSyncButtonId));
        ASSERT_TRUE(analyzer.GetAsyncAnalyzer()->IsWindowVisible());
        ASSERT_TRUE(analyzer.GetSyncAnalyzer()->IsWindowVisible());
        d.ResetWindows();
        EXPECT_FALSE(analyzer.IsWindowVisible());
        EXPECT_FALSE(analyzer.GetAsyncAnalyzer()->IsWindowVisible());
        EXPECT_FALSE(analyzer.GetSyncAnalyzer()->IsWindowVisible());
        EXPECT_TRUE(generator.IsWindowVisible());
        uitest::Click(generatorButton);
        EXPECT_FALSE(generator.IsWindowVisible());
    });
}

TEST_F(LogicWindowsTest, LogicConditionOpensTheDigitalTriggerModallyOverTheMainWindow)
{
    RunWindow([&](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        CWnd* condition = d.GetDlgItem(CVelkaroDlg::kLogicConditionButtonId);
        ASSERT_NE(condition, nullptr);
        TriggerOnB(d, false);
        EXPECT_FALSE(condition->IsWindowEnabled()) << "an analogue trigger has no logic condition";
        TriggerOnB(d, true);
        ASSERT_TRUE(condition->IsWindowEnabled());

        bool opened = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            opened = true;
            CString caption;
            m.window->GetWindowText(caption);
            EXPECT_EQ(caption, "Условие цифрового триггера");
            auto& dialog = *static_cast<CDialogDigTrigLevel*>(m.window);
            EXPECT_EQ(dialog.GetChannel(), 1);
            // The main window takes no click while the dialog is open.
            uitest::Click(d.GetDlgItem(CVelkaroDlg::kLogicAnalyzerButtonId));
            EXPECT_FALSE(Analyzer(d).IsWindowVisible());
            CWnd* value = dialog.GetDlgItem(CDialogDigTrigLevel::kValueId);
            uitest::Key(value, 'A', uitest::Control);
            uitest::TypeText(value, "0x5a");
            uitest::PressEnter(value);
        });
        uitest::Click(condition);
        EXPECT_TRUE(opened);
        WithData([](OscData& data) { EXPECT_EQ(data.trigger_digital, 0x5A) << "Enter applies what the dialog shows"; });
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kLogicAnalyzerButtonId));
        EXPECT_TRUE(Analyzer(d).IsWindowVisible()) << "the main window takes clicks again";
    });
}

TEST_F(LogicWindowsTest, RecordsOfTheLogicWindowsSurviveARestart)
{
    CPoint analyzerAt;
    RunWindow([&](CVelkaroDlg& d) {
        SwitchVariant(d, 4);
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kLogicAnalyzerButtonId));
        CLAnalyzerDialog& analyzer = Analyzer(d);
        CRect r;
        analyzer.GetWindowRect(&r);
        analyzer.SetWindowPos(nullptr, r.left + 30, r.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        analyzer.GetWindowRect(&r);
        analyzerAt = r.TopLeft();
        // The asynchronous decoder keeps its settings inside the analyser's record.
        CAsyncAnalyzer& async = *analyzer.GetAsyncAnalyzer();
        uitest::Click(analyzer.GetDlgItem(CLAnalyzerDialog::kAsyncButtonId));
        async.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(&async.DataPage().Net(0), 15);
        async.OnShowTool(false);
    });
    std::ifstream in(configPath_);
    std::stringstream file;
    file << in.rdbuf();
    // The window records sit in the file's "osc" section, a string of its own.
    std::string xml = file.str();
    for (const auto& [escaped, plain] : {std::pair<std::string, std::string>{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}})
        for (auto at = xml.find(escaped); at != std::string::npos; at = xml.find(escaped, at + plain.size()))
            xml.replace(at, escaped.size(), plain);
    const auto analyzer = xml.find("<lanalyzer_dlg");
    const auto generator = xml.find("<lgenerator_dlg");
    ASSERT_NE(analyzer, std::string::npos);
    ASSERT_NE(generator, std::string::npos);
    EXPECT_LT(analyzer, generator);
    // Each window is written as its own class, its tool-window base inside.
    EXPECT_EQ(xml.find('<', generator + 1), xml.find("<base", generator)) << xml.substr(generator, 200);
    const auto sync = xml.find("<sync_analyzer", analyzer);
    const auto async = xml.find("<async_analyzer", analyzer);
    EXPECT_LT(sync, async);
    EXPECT_LT(async, generator);

    RunWindow([&](CVelkaroDlg& d) {
        CLAnalyzerDialog& w = Analyzer(d);
        EXPECT_TRUE(w.IsWindowVisible());
        CRect r;
        w.GetWindowRect(&r);
        EXPECT_EQ(r.TopLeft(), analyzerAt);
        EXPECT_EQ(w.GetAsyncAnalyzer()->DataPage().Net(0).GetCurSel(), 15);
        EXPECT_FALSE(Generator(d).IsWindowVisible());
    });
}
