// The interface chooser and the port dialog, driven with real input events.

#include "core/dialogs/DialogInterfaces.h"
#include "core/dialogs/DialogSetup.h"

#include "core/transport/Comm.h"
#include "core/transport/CommFTDI.h"
#include "core/transport/Interfaces.h"
#include "core/transport/TransportRegistration.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Transports with a fixed number of devices that count how many of them are alive and record
// what the chooser asks of them.
struct FakeStats {
    int alive = 0;
    std::vector<std::pair<int, int>> options; // (transport kind, device)
};
FakeStats stats;

template <int Kind, int Devices>
class FakeComm : public CCommDeviceList {
public:
    FakeComm() { ++stats.alive; }
    ~FakeComm() override { --stats.alive; }
    bool Enumerate() override
    {
        ResetList();
        SetCount(Devices);
        return true;
    }
    CString GetDescription(int i) override
    {
        return IsListed(i) ? StringFormat("устройство %d.%d", Kind, i) : CString();
    }
    void Options(int i, CWnd*) override { stats.options.emplace_back(Kind, i); }
    static CComm* Create() { return new FakeComm<Kind, Devices>(); }
};

class Chooser : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        stats = FakeStats{};
        Interfaces::Clear();
        Interfaces::Register(&FakeComm<0, 0>::Create, "BulkUSB");
        Interfaces::Register(&FakeComm<1, 2>::Create, "FTDI");
        Interfaces::Register(&FakeComm<2, 1>::Create, "Demo");
    }
    void TearDown() override
    {
        uihooks::ClearModalHandlers();
        Interfaces::Clear();
    }

    static std::vector<HTREEITEM> Roots(CTreeCtrl& tree)
    {
        std::vector<HTREEITEM> roots;
        for (HTREEITEM item = tree.GetRootItem(); item != nullptr; item = tree.GetNextSiblingItem(item))
            roots.push_back(item);
        return roots;
    }
    static std::vector<HTREEITEM> Children(CTreeCtrl& tree, HTREEITEM root)
    {
        std::vector<HTREEITEM> children;
        for (HTREEITEM item = tree.GetChildItem(root); item != nullptr; item = tree.GetNextSiblingItem(item))
            children.push_back(item);
        return children;
    }
};

TEST_F(Chooser, ShowsOneRootPerTransportWithItsDevices)
{
    bool checked = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* dialog = static_cast<CDialogInterfaces*>(m.window);
        CTreeCtrl& tree = dialog->GetTree();
        CString caption;
        dialog->GetWindowText(caption);
        EXPECT_EQ(caption, "Доступные интерфейсы");
        const auto roots = Roots(tree);
        EXPECT_EQ(roots.size(), 3u);
        if (roots.size() == 3)
        {
            EXPECT_EQ(tree.GetItemText(roots[0]), "BulkUSB");
            EXPECT_EQ(tree.GetItemText(roots[1]), "FTDI");
            EXPECT_EQ(tree.GetItemText(roots[2]), "Demo");
            EXPECT_TRUE(Children(tree, roots[0]).empty());
            const auto ftdi = Children(tree, roots[1]);
            ASSERT_EQ(ftdi.size(), 2u);
            EXPECT_EQ(tree.GetItemText(ftdi[1]), "устройство 1.1");
            EXPECT_EQ(tree.GetItemData(ftdi[1]), 1u);
            EXPECT_EQ(tree.GetItemData(roots[2]), 2u);
        }
        EXPECT_EQ(stats.alive, 3); // one object per transport while the chooser is open
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(dialog, uitest::OutputPath("core_dialogs/chooser.png")));
        checked = true;
        m.End(IDCANCEL);
    });
    EXPECT_EQ(ChooseInterface(), nullptr);
    EXPECT_TRUE(checked);
    EXPECT_EQ(stats.alive, 0);
}

// "(driver not found!)" explains an empty "FTDI": ports named in VELKARO_SERIAL_PORTS are listed
// under it without the driver, and then nothing is missing.
TEST_F(Chooser, FtdiSaysItsDriverIsMissingOnlyWhenItListsNothing)
{
    struct Case {
        const char* ports; // VELKARO_SERIAL_PORTS, unset when null
        bool driver;
        std::string root;
        std::vector<std::string> devices;
    };
    const Case cases[] = {
        {"/dev/null", false, "FTDI", {"FTDI0: Description=/dev/null SerialNumber="}},
        {nullptr, false, "FTDI (driver not found!)", {}},
        {" , ", false, "FTDI (driver not found!)", {}},
        {nullptr, true, "FTDI", {}},
    };
    for (const Case& c : cases)
    {
        if (c.ports != nullptr)
            ::setenv("VELKARO_SERIAL_PORTS", c.ports, 1);
        else
            ::unsetenv("VELKARO_SERIAL_PORTS");
        // The program's own start-up, on a system whose kernel has or lacks ftdi_sio.
        DriverProbes probes = ProbeDrivers();
        probes.ftdiDriver = c.driver;
        Interfaces::Clear();
        RegisterTransports(TransportSet::Durmitt, probes);
        std::string root;
        std::vector<std::string> devices;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            CTreeCtrl& tree = static_cast<CDialogInterfaces*>(m.window)->GetTree();
            for (HTREEITEM item : Roots(tree))
            {
                if (tree.GetItemText(item).rfind("FTDI", 0) != 0)
                    continue;
                root = tree.GetItemText(item);
                for (HTREEITEM child : Children(tree, item))
                    devices.push_back(tree.GetItemText(child));
            }
            if (!devices.empty())
            {
                uitest::ProcessEvents();
                EXPECT_TRUE(uitest::RenderToPng(m.window, uitest::OutputPath("core_dialogs/chooser_named_port.png")));
            }
            uitest::PressEscape(m.window);
            if (m.window->ContinueModal())
                m.End(IDABORT);
        });
        EXPECT_EQ(ChooseInterface(), nullptr);
        EXPECT_EQ(root, c.root) << (c.ports != nullptr ? c.ports : "(unset)") << ", driver " << c.driver;
        EXPECT_EQ(devices, c.devices) << (c.ports != nullptr ? c.ports : "(unset)");
    }
    ::unsetenv("VELKARO_SERIAL_PORTS");
    CCommFTDI::SetDriverFound(false);
}

TEST_F(Chooser, DoubleClickOnADeviceOfTheSecondTransportChoosesIt)
{
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* dialog = static_cast<CDialogInterfaces*>(m.window);
        CTreeCtrl& tree = dialog->GetTree();
        const auto roots = Roots(tree);
        // A root is no choice: the chooser stays open.
        uitest::DoubleClickTreeItem(&tree, roots[1]);
        EXPECT_TRUE(dialog->ContinueModal());
        tree.Expand(roots[1], TVE_EXPAND);
        uitest::ProcessEvents();
        uitest::DoubleClickTreeItem(&tree, Children(tree, roots[1])[1]);
        if (dialog->ContinueModal())
            m.End(IDABORT); // never hang the run
    });
    CComm* chosen = ChooseInterface();
    ASSERT_NE(chosen, nullptr);
    auto* ftdi = dynamic_cast<FakeComm<1, 2>*>(chosen);
    ASSERT_NE(ftdi, nullptr);
    EXPECT_EQ(ftdi->GetSelected(), 1);
    EXPECT_EQ(stats.alive, 1); // the other transports went with the chooser
    delete chosen;
}

TEST_F(Chooser, EscapeAndTheCloseBoxReturnNothing)
{
    uitest::OnNextModal([](uihooks::ModalContext& m) { uitest::PressEscape(m.window); });
    EXPECT_EQ(ChooseInterface(), nullptr);
    uitest::OnNextModal([](uihooks::ModalContext& m) { uitest::CloseWindow(m.window); });
    EXPECT_EQ(ChooseInterface(), nullptr);
    EXPECT_EQ(stats.alive, 0);
}

TEST_F(Chooser, RightClickOpensTheOptionsOfADeviceOnly)
{
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto* dialog = static_cast<CDialogInterfaces*>(m.window);
        CTreeCtrl& tree = dialog->GetTree();
        const auto roots = Roots(tree);
        uitest::RightClickTreeItem(&tree, roots[2]);
        EXPECT_TRUE(stats.options.empty());
        const HTREEITEM device = Children(tree, roots[1])[1];
        uitest::RightClickTreeItem(&tree, device);
        EXPECT_EQ(tree.GetSelectedItem(), device);
        EXPECT_TRUE(dialog->ContinueModal()); // options never end the chooser
        m.End(IDCANCEL);
    });
    EXPECT_EQ(ChooseInterface(), nullptr);
    ASSERT_EQ(stats.options.size(), 1u);
    EXPECT_EQ(stats.options[0], std::make_pair(1, 1));
}

TEST_F(Chooser, IsWhatTheLinkRunsOnceInstalled)
{
    InstallInterfaceChooser();
    uitest::OnNextModal([](uihooks::ModalContext& m) { m.End(IDCANCEL); });
    EXPECT_EQ(RunInterfaceChooser(), nullptr);
    EXPECT_EQ(uihooks::PendingModalHandlers(), 0u);
    SetChooserFunction(nullptr);
}

class PortDialog : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
    void TearDown() override { uihooks::ClearModalHandlers(); }
};

TEST_F(PortDialog, ShowsTheCurrentRateAndTakesTheChosenOne)
{
    int rate = 2000000;
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        auto* dialog = static_cast<CDialogSetup*>(m.window);
        CString caption;
        dialog->GetWindowText(caption);
        EXPECT_EQ(caption, "Параметры порта");
        CComboBox& list = dialog->GetRateList();
        ASSERT_EQ(list.GetCount(), 3);
        EXPECT_EQ(list.GetCurSel(), 2);
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(dialog, uitest::OutputPath("core_dialogs/port_dialog.png")));
        uitest::SelectComboItem(&list, 0);
        uitest::Click(dialog->GetDlgItem(IDOK));
    });
    EXPECT_TRUE(RunBaudDialog(rate, nullptr));
    EXPECT_EQ(rate, 115200);
}

TEST_F(PortDialog, CancelAndAnUnlistedRateKeepTheRate)
{
    int rate = 1000000;
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        uitest::SelectComboItem(&static_cast<CDialogSetup*>(m.window)->GetRateList(), 0);
        uitest::PressEscape(m.window);
    });
    EXPECT_FALSE(RunBaudDialog(rate, nullptr));
    EXPECT_EQ(rate, 1000000);

    // A rate that is none of the three shows no selection; OK then changes nothing.
    rate = 9600;
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        EXPECT_EQ(static_cast<CDialogSetup*>(m.window)->GetRateList().GetCurSel(), -1);
        uitest::Click(m.window->GetDlgItem(IDOK));
    });
    EXPECT_TRUE(RunBaudDialog(rate, nullptr));
    EXPECT_EQ(rate, 9600);
}

// A right click on a serial port in the chooser sets the rate the port is opened with.
TEST_F(PortDialog, SetsTheRateOfAPortFromTheChooser)
{
    Interfaces::Clear();
    Interfaces::Register([]() -> CComm* { return new CCommFTDI(SerialPaths{}, false, {"/dev/null"}); }, "FTDI");
    InstallBaudDialog();
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        auto* dialog = static_cast<CDialogInterfaces*>(m.window);
        CTreeCtrl& tree = dialog->GetTree();
        const HTREEITEM port = tree.GetChildItem(tree.GetRootItem());
        ASSERT_NE(port, nullptr);
        uitest::OnNextModal([](uihooks::ModalContext& setup) {
            uitest::SelectComboItem(&static_cast<CDialogSetup*>(setup.window)->GetRateList(), 0);
            uitest::Click(setup.window->GetDlgItem(IDOK));
        });
        uitest::RightClickTreeItem(&tree, port);
        uitest::DoubleClickTreeItem(&tree, port);
        if (dialog->ContinueModal())
            m.End(IDABORT);
    });
    std::unique_ptr<CComm> chosen(ChooseInterface());
    auto* ftdi = dynamic_cast<CCommFTDI*>(chosen.get());
    ASSERT_NE(ftdi, nullptr);
    EXPECT_EQ(ftdi->GetSelected(), 0);
    EXPECT_EQ(ftdi->GetBaudRate(0), 115200);
    CCommFTDI::SetBaudDialog(nullptr);
    Interfaces::Clear();
}

} // namespace
