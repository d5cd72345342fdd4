// The packet structure dialog as a window: rows, OK and cancel, and the scrolling area of
// packets with more rows than the screen holds.

#include "packetview/OptionsDialog.h"

#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

namespace {

class PacketDialog : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
    void TearDown() override { uihooks::ClearModalHandlers(); }

    // Runs the dialog on the payload with a handler inside its modal loop; returns DoModal's value.
    template <typename Handler>
    static INT_PTR Run(CPacketFieldsDialog& dialog, Handler handler)
    {
        uitest::OnNextModal([handler](uihooks::ModalContext& m) {
            auto* d = static_cast<CPacketFieldsDialog*>(m.window);
            handler(*d);
            if (d->ContinueModal())
                m.End(IDABORT);
        });
        return dialog.DoModal();
    }

    static CString Text(CWnd* wnd)
    {
        CString text;
        if (wnd != nullptr)
            wnd->GetWindowText(text);
        return text;
    }
};

TEST_F(PacketDialog, OkWithUnchangedTextsKeepsTheBytes)
{
    const int types[] = {PACKET_DATA_STATE, PACKET_DATA_VERSION, PACKET_DATA_STATISTIC, PACKET_DATA_LA_TEST_READ, 1};
    for (int type : types)
    {
        std::vector<std::uint8_t> payload(GetPacketStructureSize(type));
        for (std::size_t i = 0; i < payload.size(); ++i)
            payload[i] = static_cast<std::uint8_t>(0x93 + 37 * i);
        payload[0] = static_cast<std::uint8_t>(type);
        const auto before = payload;
        CPacketFieldsDialog dialog(type, payload.data(), payload.size());
        int rows = 0;
        EXPECT_EQ(Run(dialog, [&](CPacketFieldsDialog& d) {
                      rows = d.GetRowCount();
                      uitest::Click(d.GetDlgItem(IDOK));
                  }),
                  IDOK)
            << "type " << type;
        EXPECT_GT(rows, 0);
        EXPECT_EQ(payload, before) << "type " << type;
    }
}

TEST_F(PacketDialog, OkWritesEditedValuesAndKeepsTextsThatDoNotParse)
{
    PacketDataStructure<PACKET_DATA_STATE> state{};
    state.data_id = PACKET_DATA_STATE;
    state.osc_sr = 7;
    state.osc_cr = 0x1234;
    auto* payload = reinterpret_cast<std::uint8_t*>(&state);
    COptionsDialog<PacketDataStructure<PACKET_DATA_STATE>, Converter> dialog(payload);
    EXPECT_EQ(Run(dialog, [](CPacketFieldsDialog& d) {
                  ASSERT_EQ(d.GetRowCount(), 6);
                  EXPECT_EQ(Text(d.GetRowLabel(0)), "osc_sr =");
                  EXPECT_EQ(Text(d.GetRowEdit(1)), "4660");
                  EXPECT_EQ(d.GetRowEdit(0)->GetDlgCtrlID(), 256);
                  uitest::TypeText(d.GetRowEdit(0), "65535");
                  uitest::TypeText(d.GetRowEdit(1), "abc"); // not a number: the old value stays
                  uitest::Click(d.GetDlgItem(IDOK));
              }),
              IDOK);
    const std::uint16_t oscSr = state.osc_sr;
    const std::uint16_t oscCr = state.osc_cr;
    EXPECT_EQ(oscSr, 65535);
    EXPECT_EQ(oscCr, 0x1234);
    EXPECT_EQ(state.data_id, PACKET_DATA_STATE);
}

TEST_F(PacketDialog, CancelChangesNothing)
{
    PacketDataStructure<PACKET_DATA_VERSION> version{};
    version.data_id = PACKET_DATA_VERSION;
    version.version_major = 4;
    auto* payload = reinterpret_cast<std::uint8_t*>(&version);
    for (int how = 0; how < 3; ++how)
    {
        CPacketFieldsDialog dialog(PACKET_DATA_VERSION, payload, sizeof version);
        EXPECT_EQ(Run(dialog, [how](CPacketFieldsDialog& d) {
                      uitest::TypeText(d.GetRowEdit(0), "9");
                      if (how == 0)
                          uitest::Click(d.GetDlgItem(IDCANCEL));
                      else if (how == 1)
                          uitest::PressEscape(d.GetRowEdit(0));
                      else
                          uitest::CloseWindow(&d);
                  }),
                  IDCANCEL);
        EXPECT_EQ(version.version_major, 4);
    }
}

TEST_F(PacketDialog, ArraysShowOneLabelledRowPerElement)
{
    PacketDataStructure<PACKET_DATA_STATISTIC> statistic{};
    statistic.data_id = PACKET_DATA_STATISTIC;
    statistic.min[1] = -1;
    COptionsDialog<PacketDataStructure<PACKET_DATA_STATISTIC>, Converter> dialog(
        reinterpret_cast<std::uint8_t*>(&statistic));
    Run(dialog, [](CPacketFieldsDialog& d) {
        ASSERT_EQ(d.GetRowCount(), 7);
        EXPECT_EQ(Text(d.GetRowLabel(0)), "analog_cr =");
        EXPECT_EQ(Text(d.GetRowLabel(1)), "ave[0] =");
        EXPECT_EQ(Text(d.GetRowLabel(2)), "ave[1] =");
        EXPECT_EQ(Text(d.GetRowLabel(4)), "min[1] =");
        EXPECT_EQ(Text(d.GetRowEdit(4)), "-1");
        EXPECT_EQ(d.GetRowEdit(3)->GetDlgCtrlID() + 1, d.GetRowEdit(4)->GetDlgCtrlID());
        CString caption;
        d.GetWindowText(caption);
        EXPECT_EQ(caption, "Поля структуры " + std::string(PacketDataStructure<PACKET_DATA_STATISTIC>::GetName()));
        EXPECT_FALSE(d.IsScrolling());
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("packetview/statistic_dialog.png")));
        uitest::Click(d.GetDlgItem(IDCANCEL));
    });
}

TEST_F(PacketDialog, TypesOutsideTheFamilyOpenNothing)
{
    std::vector<std::uint8_t> payload(64, 0);
    bool opened = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        opened = true;
        m.End(IDCANCEL);
    });
    ShowPacketDialog(payload.data(), PACKET_DATA_TYPE_COUNT, payload.size());
    ShowPacketDialog(payload.data(), 255, payload.size());
    ShowPacketDialog(payload.data(), -1, payload.size());
    EXPECT_FALSE(opened);
    EXPECT_EQ(uihooks::PendingModalHandlers(), 1u);
    uihooks::ClearModalHandlers();
}

TEST_F(PacketDialog, ShowPacketDialogOpensTheDialogOfTheType)
{
    std::vector<std::uint8_t> payload(GetPacketStructureSize(PACKET_DATA_LA_TEST_READ), 0);
    payload[0] = PACKET_DATA_LA_TEST_READ;
    payload[1] = 0x40;
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        auto* d = static_cast<CPacketFieldsDialog*>(m.window);
        EXPECT_EQ(d->GetPacketType(), PACKET_DATA_LA_TEST_READ);
        EXPECT_EQ(Text(d->GetRowEdit(0)), "64");
        uitest::TypeText(d->GetRowEdit(0), "65");
        uitest::PressEnter(d->GetRowEdit(0));
    });
    ShowPacketDialog(payload.data(), PACKET_DATA_LA_TEST_READ, payload.size());
    EXPECT_EQ(payload[1], 65);
}

// A channel read-out has some two thousand rows: the dialog stays within the screen and its
// rows scroll, every one of them still there with its id.
TEST_F(PacketDialog, AChannelReadOutFitsTheScreenAndScrolls)
{
    const std::size_t size = GetPacketStructureSize(PACKET_DATA_CH);
    std::vector<std::uint8_t> payload(size, 0);
    payload[0] = PACKET_DATA_CH;
    payload[size - 1] = 0x85; // the last sample, -123
    CPacketFieldsDialog dialog(PACKET_DATA_CH, payload.data(), payload.size());
    Run(dialog, [&](CPacketFieldsDialog& d) {
        const int rows = d.GetRowCount();
        EXPECT_GT(rows, 2000);
        EXPECT_TRUE(d.IsScrolling());
        CRect screen, window, client;
        CWnd::GetDesktopWindow()->GetWindowRect(&screen);
        d.GetWindowRect(&window);
        d.GetClientRect(&client);
        EXPECT_LE(window.Height(), screen.Height());
        CEdit* last = d.GetRowEdit(rows - 1);
        EXPECT_EQ(last->GetDlgCtrlID(), 255 + rows);
        EXPECT_EQ(Text(last), "-123");

        // The last row lies below the visible rows until the area is scrolled to its end.
        auto lastRowVisible = [&] {
            CRect r;
            last->GetWindowRect(&r);
            d.ScreenToClient(&r);
            return r.top >= 0 && r.bottom <= client.bottom - 32;
        };
        EXPECT_FALSE(lastRowVisible());
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("packetview/channel_dialog_top.png")));

        uitest::Wheel(d.GetRowEdit(0), CPoint(5, 5), -120);
        EXPECT_EQ(d.GetScrollPosition(), 3 * CPacketFieldsDialog::kRowHeight);
        // The input filter tells events apart by address; a move in between keeps the second
        // wheel event (made at the same stack address) from passing for the first one.
        uitest::MouseMove(d.GetRowEdit(3), CPoint(5, 5));
        uitest::Wheel(d.GetRowEdit(3), CPoint(5, 5), 240);
        EXPECT_EQ(d.GetScrollPosition(), 0);

        d.SendMessage(WM_VSCROLL, SB_BOTTOM, 0); // no bar named: ignored
        EXPECT_EQ(d.GetScrollPosition(), 0);
        CWnd* bar = nullptr;
        for (CWnd* child = d.GetWindow(GW_CHILD); child != nullptr; child = child->GetWindow(GW_HWNDNEXT))
            if ((child->GetStyle() & SBS_VERT) != 0 && child->GetDlgCtrlID() == 0xFFFF && child->GetWindow(GW_CHILD) == nullptr &&
                dynamic_cast<CScrollBar*>(child) != nullptr)
                bar = child;
        ASSERT_NE(bar, nullptr);
        d.SendMessage(WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar->m_hWnd));
        EXPECT_GT(d.GetScrollPosition(), 0);
        EXPECT_TRUE(lastRowVisible());
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("packetview/channel_dialog_end.png")));

        uitest::TypeText(last, "5");
        uitest::Click(d.GetDlgItem(IDOK));
    });
    EXPECT_EQ(payload[size - 1], 5);
}

} // namespace
