#include "support/MathWindowFixture.h"

#include "platform/kernel/Sync.h"

void MathWindowTest::SetUp()
{
    MainWindowTest::SetUp();
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        if (slot != CToolDialogList::MATH)
            return nullptr;
        return std::make_unique<CMathDialog>(&main);
    });
}

void MathWindowTest::TearDown()
{
    CVelkaroDlg::SetToolWindowFactory({});
    MainWindowTest::TearDown();
}

CMathDialog& MathWindowTest::Window(CVelkaroDlg& d)
{
    auto* w = dynamic_cast<CMathDialog*>(d.GetToolDialog(CToolDialogList::MATH));
    EXPECT_NE(w, nullptr);
    return *w;
}

void MathWindowTest::RunMath(int version, int zero, bool pairs,
                             const std::function<void(CVelkaroDlg&, CMathDialog&)>& body)
{
    RunWindow([&](CVelkaroDlg& d) {
        SwitchVariant(d, version);
        Prepare(zero, pairs);
        CMathDialog& w = Window(d);
        w.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        body(d, w);
    });
}

void MathWindowTest::Prepare(int zero, bool pairs)
{
    WithData([&](OscData& d) {
        const signed char offsets[2] = {static_cast<signed char>(zero), static_cast<signed char>(zero)};
        d.SetCalibrationOffsets(2, offsets, sizeof offsets);
        ASSERT_EQ(d.GetCalibrationOffset(0), zero);
        d.osc_cr &= ~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B | OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX);
        if (pairs)
            d.osc_cr |= OSC_CR_MIN_MAX;
        d.osc_cr |= OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
        d.mode &= ~(MODE_STOPPED | MODE_RECORDER | MODE_SINGLE | MODE_SPECTRUM);
        d.x_skip = 0;
        d.read_state = 1;
    });
}

std::string MathWindowTest::ClickForMessage(CWnd* control)
{
    std::string text;
    uitest::AnswerNextMessageBox(IDOK, &text);
    uitest::Click(control);
    uitest::ProcessEvents();
    uihooks::ClearModalHandlers();
    return text;
}

void MathWindowTest::DesignLowPass(CMathDialog& w)
{
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        uitest::ProcessEvents();
        auto* frame = static_cast<CDialog*>(m.window);
        uitest::Click(frame->GetDlgItem(IDOK));
    });
    Click(w, CMathDialog::IDC_DESIGN_FILTER);
    uitest::ProcessEvents();
}
