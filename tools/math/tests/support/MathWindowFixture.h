#pragma once
// The mathematics window inside the running main window, and the data model filled the way a
// finished capture leaves it.

#include "tools/math/MathDialog.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"

#include <functional>
#include <string>

class MathWindowTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static CMathDialog& Window(CVelkaroDlg& d);
    // Shows the window and runs `body` with it inside the main window's loop, on the model of
    // `version` with calibration offset `zero` (variant 5 keeps one), analogue channels,
    // free-running without trigger, and a read-out not yet finished.
    void RunMath(int version, int zero, bool pairs, const std::function<void(CVelkaroDlg&, CMathDialog&)>& body);
    static void Prepare(int zero, bool pairs);
    // Clicks `id` and answers the message box it shows; the box's text, empty when none came.
    static std::string ClickForMessage(CWnd* control);
    static void Click(CMathDialog& w, int id) { uitest::Click(w.GetDlgItem(id)); }
    // Designs a low-pass filter through the sheet: the first length, the proposed cut-off.
    static void DesignLowPass(CMathDialog& w);
};
