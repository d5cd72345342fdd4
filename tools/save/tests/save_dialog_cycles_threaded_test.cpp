// Opening and closing the save dialog over a live instrument, again and again: the dialog
// stops the acquisition and runs it again, and each time "Стоп" shows one of the same two
// pictures, never a copy that Qt would cache once more.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"
#include "tools/save/DialogSave.h"

#include <cstdint>
#include <set>

namespace {

TEST_F(MainWindowTest, SaveDialogOpenedAndClosedShowsTheSameTwoStopPictures)
{
    CVelkaroDlg::SetSaveDialogRunner(
        [](CVelkaroDlg& main, int saveType) { return RunSaveDialog(&main.GetChart(), &main, saveType); });
    RunWindow([&](CVelkaroDlg& d) {
        Connect(d);
        ASSERT_TRUE(WaitUntil([] { return Linked(); }));
        ASSERT_TRUE(WaitForStopButton(d, false));
        std::set<std::int64_t> stopped;
        std::set<std::int64_t> running;
        for (int cycle = 0; cycle < 5; ++cycle)
        {
            bool opened = false;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                auto* save = dynamic_cast<CDialogSave*>(m.window);
                ASSERT_NE(save, nullptr);
                opened = true;
                // The main window's tick goes on under the dialog and shows the stop.
                EXPECT_TRUE(WaitForStopButton(d, true)) << cycle;
                stopped.insert(ShownPixmapKey(StopButton(d)));
                uitest::Click(save->GetDlgItem(IDCANCEL));
            });
            uitest::Click(d.GetDlgItem(CVelkaroDlg::kSaveButtonId));
            ASSERT_TRUE(opened) << cycle;
            ASSERT_TRUE(WaitForStopButton(d, false)) << cycle;
            running.insert(ShownPixmapKey(StopButton(d)));
        }
        EXPECT_EQ(stopped.size(), 1u);
        EXPECT_EQ(running.size(), 1u);
        EXPECT_EQ(stopped.count(0), 0u) << "a picture is shown";
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([] { return !Linked(); }));
    });
    CVelkaroDlg::SetSaveDialogRunner({});
}

}  // namespace
