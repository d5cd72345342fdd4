// Durmitt's window end to end: the application's set-up, the chooser, the link's worker
// talking to the virtual instrument, the walking-one test and the log list, driven with real
// input events. Waits process events until a condition holds, never sleep.

#include "testtool/DurmittApp.h"
#include "testtool/DurmittDlg.h"
#include "testtool/TestDispatch.h"

#include "core/dialogs/DialogInterfaces.h"
#include "core/link/DeviceLink.h"
#include "core/log/EventLog.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "core/transport/Interfaces.h"
#include "packetview/OptionsDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/testing/UiTest.h"
#include "core/dialogs/DialogSetup.h"
#include "sim/PtyInstrumentServer.h"
#include "sim/SimComm.h"
#include "sim/VirtualInstrument.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kPassed = "Тест \"бегущая единица\" завершен успешно!";
const std::string kStart = "CDurmitt старт";

std::shared_ptr<VirtualInstrument> demoInstrument;

CComm* CreateDemo()
{
    return new CSimComm(demoInstrument);
}

class DurmittWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        demoInstrument = std::make_shared<VirtualInstrument>();
        demoInstrument->SetVersion(4, 0);
        app_ = std::make_unique<CDurmittApp>();
        app_->SetDemoRegistration([] { Interfaces::Register(&CreateDemo, "Demo"); });
        ASSERT_TRUE(app_->SetUpProgram());
    }
    void TearDown() override
    {
        uihooks::ClearModalHandlers();
        SetChooserFunction(nullptr);
        Interfaces::Clear();
        app_.reset();
        demoInstrument.reset();
    }

    // A generous bound only, so that a broken run ends instead of hanging.
    static bool WaitUntil(const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!condition())
        {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            uitest::ProcessEvents();
        }
        return true;
    }

    // The list's lines since this window logged its start (earlier tests share the log).
    static std::vector<std::string> WindowLines(CDurmittDlg& d)
    {
        std::vector<std::string> lines;
        CListBox& list = d.GetLogList();
        for (int i = 0; i < list.GetCount(); ++i)
        {
            CString text;
            list.GetText(i, text);
            if (text.find(kStart) != std::string::npos)
                lines.clear();
            lines.push_back(text);
        }
        return lines;
    }
    static int CountContaining(CDurmittDlg& d, const std::string& text)
    {
        int n = 0;
        for (const std::string& line : WindowLines(d))
            n += line.find(text) != std::string::npos ? 1 : 0;
        return n;
    }
    static int IndexOf(CDurmittDlg& d, const std::string& text)
    {
        CListBox& list = d.GetLogList();
        for (int i = list.GetCount() - 1; i >= 0; --i)
        {
            CString line;
            list.GetText(i, line);
            if (line.find(text) != std::string::npos)
                return i;
        }
        return -1;
    }
    static CString ConnectText(CDurmittDlg& d)
    {
        CString text;
        d.GetDlgItem(CDurmittDlg::kConnectId)->GetWindowText(text);
        return text;
    }

    // Queues the chooser's answer: a double click on the demo instrument, the last root's device.
    static void ChooseDemoInChooser()
    {
        uitest::OnNextModal([](uihooks::ModalContext& m) {
            auto* chooser = static_cast<CDialogInterfaces*>(m.window);
            CTreeCtrl& tree = chooser->GetTree();
            HTREEITEM demo = tree.GetRootItem();
            while (tree.GetNextSiblingItem(demo) != nullptr)
                demo = tree.GetNextSiblingItem(demo);
            EXPECT_EQ(tree.GetItemText(demo), "Demo");
            HTREEITEM device = tree.GetChildItem(demo);
            ASSERT_NE(device, nullptr);
            uitest::ProcessEvents();
            uitest::RenderToPng(chooser, uitest::OutputPath("testtool/durmitt_chooser.png"));
            uitest::DoubleClickTreeItem(&tree, device);
            if (chooser->ContinueModal())
                m.End(IDCANCEL);
        });
    }

    // Runs Durmitt's window with the test inside its modal loop; the window is closed after.
    void RunWindow(const std::function<void(CDurmittDlg&)>& body)
    {
        CDurmittDlg dialog;
        app_->m_pMainWnd = &dialog;
        uitest::OnNextModal([body](uihooks::ModalContext& m) {
            auto& d = *static_cast<CDurmittDlg*>(m.window);
            body(d);
            if (d.ContinueModal())
                uitest::Click(d.GetDlgItem(IDCANCEL));
            // A window that no longer takes input must fail the test, not hang it.
            if (d.ContinueModal())
            {
                ADD_FAILURE() << "\"Выход\" did not end the window";
                m.End(IDABORT);
            }
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        // Closing stopped the link and deleted the dispatcher.
        EXPECT_EQ(dialog.GetLink(), nullptr);
        EXPECT_EQ(dialog.GetDispatch(), nullptr);
        app_->m_pMainWnd = nullptr;
    }

    std::unique_ptr<CDurmittApp> app_;
};

TEST_F(DurmittWindow, TheWiredFixturePassesAfterFifteenReads)
{
    RunWindow([&](CDurmittDlg& d) {
        CString caption;
        d.GetWindowText(caption);
        EXPECT_EQ(caption, "Durmitt");
        EXPECT_EQ(ConnectText(d), "Подключиться");
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kStart) == 1; }));

        ChooseDemoInChooser();
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kPassed) == 1; }));
        ASSERT_TRUE(WaitUntil([&] { return ConnectText(d) == "Отключиться"; }));
        // The success line is logged on the fifteenth check; the run counts as done only at
        // the STATE that answers the GET_STATE after it, one exchange later.
        ASSERT_TRUE(WaitUntil([&] { return d.GetDispatch()->GetStatus().testState == CTestDispatch::TEST_DONE; }));
        const CTestDispatch::Status status = d.GetDispatch()->GetStatus();
        EXPECT_EQ(status.step, CTestDispatch::kWrites);
        EXPECT_EQ(status.errors, 0);
        EXPECT_EQ(status.testState, CTestDispatch::TEST_DONE);
        EXPECT_EQ(CountContaining(d, "Ошибка"), 0);
        // The newest line is the one selected.
        EXPECT_EQ(d.GetLogList().GetCurSel(), d.GetLogList().GetCount() - 1);
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("testtool/durmitt_after_test.png")));

        // Disconnecting turns the button back.
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return ConnectText(d) == "Подключиться"; }));
    });
}

// The same test over a pseudo-terminal through the serial transport, at the rate chosen in the
// port dialog from the chooser's right click.
TEST_F(DurmittWindow, TheFixturePassesOverASerialPortAtTheChosenRate)
{
    auto instrument = std::make_shared<VirtualInstrument>();
    instrument->SetVersion(4, 0);
    instrument->SetSplitSize(3); // answers arrive in pieces, as over a USB-serial bridge
    PtyInstrumentServer server(instrument);
    ASSERT_TRUE(server.Start());
    ::setenv("VELKARO_SERIAL_PORTS", server.SlavePath().c_str(), 1);
    RunWindow([&](CDurmittDlg& d) {
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            auto* chooser = static_cast<CDialogInterfaces*>(m.window);
            CTreeCtrl& tree = chooser->GetTree();
            HTREEITEM port = nullptr;
            for (HTREEITEM root = tree.GetRootItem(); root != nullptr; root = tree.GetNextSiblingItem(root))
                for (HTREEITEM item = tree.GetChildItem(root); item != nullptr; item = tree.GetNextSiblingItem(item))
                    if (tree.GetItemText(item).find(server.SlavePath()) != std::string::npos)
                        port = item;
            ASSERT_NE(port, nullptr);
            EXPECT_EQ(tree.GetItemText(tree.GetParentItem(port)).rfind("FTDI", 0), 0u);
            uitest::OnNextModal([](uihooks::ModalContext& setup) {
                uitest::ProcessEvents();
                uitest::RenderToPng(setup.window, uitest::OutputPath("testtool/durmitt_port_dialog.png"));
                uitest::SelectComboItem(&static_cast<CDialogSetup*>(setup.window)->GetRateList(), 0);
                uitest::Click(setup.window->GetDlgItem(IDOK));
            });
            uitest::RightClickTreeItem(&tree, port);
            uitest::DoubleClickTreeItem(&tree, port);
            if (chooser->ContinueModal())
                m.End(IDCANCEL);
        });
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(d.GetLink()->IsRunning());
        EXPECT_EQ(server.SlaveBaudRate(), 115200);
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kPassed) == 1; }));
        EXPECT_EQ(CountContaining(d, "Ошибка"), 0);
    });
    ::unsetenv("VELKARO_SERIAL_PORTS");
    server.Stop();
}

TEST_F(DurmittWindow, AStuckBusIsReportedLinePerLine)
{
    VirtualInstrument::Wiring wiring;
    wiring.busStuck = true;
    wiring.busStuckValue = 0;
    demoInstrument->SetWiring(wiring);
    RunWindow([&](CDurmittDlg& d) {
        ChooseDemoInChooser();
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, "Тест \"бегущая единица\" завершен, 14 ошибок!") == 1; }));
        EXPECT_EQ(CountContaining(d, "Ошибка порта A/B!"), 14);
        EXPECT_EQ(CountContaining(d, kPassed), 0);
    });
}

TEST_F(DurmittWindow, ALoggedFrameOpensInThePacketDialog)
{
    RunWindow([&](CDurmittDlg& d) {
        // A received LA_TEST_READ frame as a frame line of the log.
        std::uint8_t frame[8] = {0xFF, 0, 0, PACKET_DATA_LA_TEST_READ, 0x20, 0x01};
        SetFrameLength(frame, 3);
        FinishFrame(frame);
        CString line = "R 42:";
        for (std::uint16_t i = 0; i < GetFrameSize(frame); ++i)
            line.AppendFormat(" %02X", frame[i]);
        EventLog::Instance()->Write(line);
        EventLog::Instance()->Write("R 42: FF 03 00 2A 20 01 00"); // a wrong CRC opens nothing
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, "R 42:") == 2; }));

        int opened = 0;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            auto* packet = static_cast<CPacketFieldsDialog*>(m.window);
            ++opened;
            EXPECT_EQ(packet->GetPacketType(), PACKET_DATA_LA_TEST_READ);
            CString value;
            packet->GetRowEdit(0)->GetWindowText(value);
            EXPECT_EQ(value, "32");
            uitest::ProcessEvents();
            EXPECT_TRUE(uitest::RenderToPng(packet, uitest::OutputPath("testtool/durmitt_packet_dialog.png")));
            uitest::Click(packet->GetDlgItem(IDCANCEL));
        });
        uitest::DoubleClickListItem(&d.GetLogList(), IndexOf(d, "R 42: FF 03 00 2A 20 01 00"));
        EXPECT_EQ(opened, 0);
        uitest::DoubleClickListItem(&d.GetLogList(), IndexOf(d, line));
        EXPECT_EQ(opened, 1);
        // A line that is no frame line does nothing either.
        uitest::DoubleClickListItem(&d.GetLogList(), IndexOf(d, kStart));
        EXPECT_EQ(opened, 1);
        uihooks::ClearModalHandlers();
    });
}

TEST_F(DurmittWindow, TheWindowMenuOpensTheAboutBox)
{
    RunWindow([&](CDurmittDlg& d) {
        CMenu* menu = d.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        ASSERT_GE(menu->GetMenuItemCount(), 1);
        EXPECT_EQ(menu->GetMenuItemID(menu->GetMenuItemCount() - 1), CDurmittDlg::kAboutCommand);
        std::string caption;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            caption = m.caption;
            uitest::Click(m.window->GetDlgItem(IDOK));
        });
        d.SendMessage(WM_SYSCOMMAND, CDurmittDlg::kAboutCommand, 0);
        EXPECT_EQ(caption, "О проекте Durmitt");
        // Enter in the log list leaves the program running.
        uitest::PressEnter(&d.GetLogList());
        EXPECT_TRUE(d.ContinueModal());
    });
}

// The user's way through the window: every button keeps working after the chooser closed,
// whether by a double click on a device or by Esc.
TEST_F(DurmittWindow, EveryButtonWorksAfterTheChooserClosed)
{
    RunWindow([&](CDurmittDlg& d) {
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kStart) == 1; }));
        ChooseDemoInChooser();
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kPassed) == 1; }));

        uitest::Click(d.GetDlgItem(CDurmittDlg::kRepeatId));
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kPassed) == 2; })) << "\"Повторить\" was not taken";

        ASSERT_TRUE(WaitUntil([&] { return ConnectText(d) == "Отключиться"; }));
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return ConnectText(d) == "Подключиться"; })) << "\"Отключиться\" was not taken";

        bool chooserShown = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            chooserShown = true;
            uitest::PressEscape(m.window);
            if (m.window->ContinueModal())
                m.End(IDABORT);
        });
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        EXPECT_TRUE(chooserShown);
        EXPECT_EQ(ConnectText(d), "Подключиться");

        ChooseDemoInChooser();
        uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(WaitUntil([&] { return CountContaining(d, kPassed) == 3; })) << "no connection after Esc in the chooser";
    });
}

// Connect and repeat pressed again and again while the worker runs the test: the window never
// waits on the worker, and a run after the storm still completes.
TEST_F(DurmittWindow, HammeringConnectAndRepeatNeverDeadlocks)
{
    SetChooserFunction([] {
        auto* comm = new CSimComm(demoInstrument);
        comm->Enumerate();
        comm->Select(0);
        return static_cast<CComm*>(comm);
    });
    RunWindow([&](CDurmittDlg& d) {
        for (int i = 0; i < 150; ++i)
        {
            uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
            uitest::Click(d.GetDlgItem(CDurmittDlg::kRepeatId));
            if (i % 3 == 0)
                uitest::ProcessEvents();
        }
        if (!d.GetLink()->IsRunning())
            uitest::Click(d.GetDlgItem(CDurmittDlg::kConnectId));
        ASSERT_TRUE(d.GetLink()->IsRunning());
        // A success line counted in the list could still be one of the storm's runs, which
        // reach the list a timer tick late. The click forgets any run at once, so a finished
        // run that the dispatcher shows from now on is one begun after it.
        uitest::Click(d.GetDlgItem(CDurmittDlg::kRepeatId));
        ASSERT_TRUE(WaitUntil([&] {
            const CTestDispatch::Status s = d.GetDispatch()->GetStatus();
            return s.testState == CTestDispatch::TEST_DONE && !s.running && s.step == CTestDispatch::kWrites;
        }));
        EXPECT_EQ(d.GetDispatch()->GetStatus().errors, 0);
        ASSERT_TRUE(WaitUntil([&] { return ConnectText(d) == "Отключиться"; }));
    });
}

} // namespace
