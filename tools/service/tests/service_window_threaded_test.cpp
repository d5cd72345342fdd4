// The service window inside the running main window: saving the log, opening logged frames,
// the offset DACs, its close command and its size.

#include "tools/calibration/testing/ToolWindowsFixture.h"

#include "core/data/OscData.h"
#include "core/log/EventLog.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"
#include "packetview/OptionsDialog.h"
#include "platform/kernel/ManualClock.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class ServiceWindowTest : public ToolWindowsTest {
protected:
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string Folder()
    {
        if (folder_.empty()) folder_ = FolderOfThisRun("tools/service_window").string();
        return folder_;
    }
    std::string folder_;

    // A sealed frame of the type with the payload after the type byte, as "%02X" pairs.
    static std::string FrameHex(std::uint8_t type, std::vector<std::uint8_t> payload, const char* separator)
    {
        std::vector<std::uint8_t> frame(4 + payload.size() + 1);
        frame[0] = 0xFF;
        SetFrameLength(frame.data(), static_cast<std::uint16_t>(payload.size() + 1));
        frame[3] = type;
        std::copy(payload.begin(), payload.end(), frame.begin() + 4);
        frame.back() = Crc8(frame.data(), frame.size() - 1);
        std::string text;
        char pair[3];
        for (std::size_t i = 0; i < frame.size(); ++i) {
            std::snprintf(pair, sizeof(pair), "%02X", frame[i]);
            if (i > 0) text += separator;
            text += pair;
        }
        return text;
    }
};

}  // namespace

TEST_F(ServiceWindowTest, SaveLogProposesTheTimeAndWritesTheListWithCrLf)
{
    ManualClock clock;
    clock.SetLocalTime(SYSTEMTIME{2026, 12, 2, 8, 9, 5, 12, 0});
    const std::string path = Folder() + "/saved.txt";
    // An existing file would bring the replace question up first.
    std::filesystem::remove(path);
    const std::vector<std::string> lines = {"09:05:01.000: Подключение к Demo", "09:05:01.020: T 5: FF 01 00 15 5B",
                                            "09:05:01.040: Версия 2.1"};
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        for (const std::string& line : lines) s.m_log.AddString(line.c_str());
        int showCross = 0;
        showCross = d.show_cross;

        SetCurrentClock(&clock);
        std::string proposed;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            proposed = m.fileName;
            EXPECT_FALSE(m.openDialog);
            m.fileName = path;
            m.End(IDOK);
        });
        uitest::Click(s.GetDlgItem(CServiceDialog::IDC_SAVE_LOG));
        SetCurrentClock(nullptr);
        EXPECT_EQ(proposed, "Лог сервера 08.12.26 09.05.txt");
        EXPECT_EQ(ReadAll(path), lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n");
        // The same id in the settings window is its cross-hair check: this one only saves.
        EXPECT_EQ(d.show_cross, showCross);

        // Cancelled: nothing is written.
        const std::string other = Folder() + "/cancelled.txt";
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            m.fileName = other;
            m.End(IDCANCEL);
        });
        uitest::Click(s.GetDlgItem(CServiceDialog::IDC_SAVE_LOG));
        EXPECT_FALSE(std::filesystem::exists(other));
    });
}

TEST_F(ServiceWindowTest, ALogFileThatCannotBeCreatedIsReportedWithAStopIcon)
{
    const std::string path = Folder() + "/missing folder/log.txt";
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        s.m_log.AddString("line");
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            m.fileName = path;
            m.End(IDOK);
        });
        UINT type = 0;
        std::string text;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            type = m.type;
            text = m.text;
            m.End(IDOK);
        });
        uitest::Click(s.GetDlgItem(CServiceDialog::IDC_SAVE_LOG));
        EXPECT_EQ(type & 0xF0, MB_ICONSTOP);
        EXPECT_EQ(text, "Ошибка открытия файла " + path + "!\nNo such file or directory");
        EXPECT_FALSE(std::filesystem::exists(path));
    });
}

TEST_F(ServiceWindowTest, DoubleClickedFrameLinesOpenThePacketDialogOfTheirType)
{
    const std::string prefix = "09:05:03.007: ";
    struct Case {
        std::string line;
        int type;  // -1: nothing opens
    };
    const std::string state = FrameHex(PACKET_DATA_GET_STATE, {}, " ");
    const std::string badCrc = state.substr(0, state.size() - 2) + (state.substr(state.size() - 2) == "00" ? "01" : "00");
    const Case cases[] = {
        {prefix + "T 5: " + state, PACKET_DATA_GET_STATE},
        {prefix + "R 6:" + FrameHex(PACKET_DATA_LA_TEST_READ, {0x20, 0x01}, ""), PACKET_DATA_LA_TEST_READ},
        {prefix + "R frame (VERSION): " + FrameHex(PACKET_DATA_GET_VERSION, {}, " "), PACKET_DATA_GET_VERSION},
        {prefix + "T 5: " + badCrc, -1},
        {prefix + "X 5: " + state, -1},
        {prefix + "Подключение: " + state, -1},
        {prefix + "T 5 " + state, -1},  // no ':' after the direction
        {"09:05: T 5: FF", -1},         // shorter than the time prefix
        {"", -1},
    };
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        for (const Case& c : cases) s.m_log.AddString(c.line.c_str());
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            int opened = -1;
            uitest::OnNextModal([&](uihooks::ModalContext& m) {
                opened = static_cast<CPacketFieldsDialog*>(m.window)->GetPacketType();
                uitest::Click(m.window->GetDlgItem(IDCANCEL));
            });
            uitest::DoubleClickListItem(&s.m_log, i);
            EXPECT_EQ(opened, cases[i].type) << cases[i].line;
            uihooks::ClearModalHandlers();
        }
        // The log itself is never changed by the dialog.
        CString first;
        s.m_log.GetText(0, first);
        EXPECT_EQ(first, cases[0].line);
    });
}

TEST_F(ServiceWindowTest, DacBytesOutOfRangeAreRefusedAndAChangedByteGoesToTheDevice)
{
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        WithData([](OscData& data) {
            data.offset_dac[0] = 128;
            data.offset_dac[1] = 100;
            data.changes = 0;
        });
        s.SetOffsetBytes(128, 100);
        CString shown;
        s.GetDlgItemText(CServiceDialog::IDC_DAC_B, shown);
        EXPECT_EQ(shown, "100");

        uitest::TypeText(s.GetDlgItem(CServiceDialog::IDC_DAC_A), "300");
        std::string message;
        uitest::AnswerNextMessageBox(IDOK, &message);
        uitest::Click(s.GetDlgItem(CServiceDialog::IDC_LOAD_DAC));
        EXPECT_EQ(message, "Введите целое число от 0 до 255.");
        WithData([](OscData& data) {
            EXPECT_EQ(data.offset_dac[0], 128);
            EXPECT_EQ(data.changes & (CHANGE_OFFSET_A | CHANGE_OFFSET_B), 0u);
        });

        uitest::TypeText(s.GetDlgItem(CServiceDialog::IDC_DAC_A), "200");
        uitest::Click(s.GetDlgItem(CServiceDialog::IDC_LOAD_DAC));
        WithData([](OscData& data) {
            EXPECT_EQ(data.offset_dac[0], 200);
            EXPECT_EQ(data.offset_dac[1], 100);
            EXPECT_EQ(data.changes & (CHANGE_OFFSET_A | CHANGE_OFFSET_B), CHANGE_OFFSET_A);
        });
        EXPECT_EQ(s.GetOffsetByte(0), 200);
    });
}

TEST_F(ServiceWindowTest, EscapeHidesAndTheListFollowsTheWindowsSizeDownToTheMinimum)
{
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        s.m_log.AddString("09:05:01.000: Подключение к Demo");
        s.m_log.AddString("09:05:01.020: T 5: FF 01 00 15 5B");
        s.SetOffsetBytes(128, 127);
        EXPECT_TRUE(uitest::RenderToPng(&s, uitest::OutputPath("tools/service_window.png")));

        CRect window;
        s.GetWindowRect(&window);
        CRect list;
        s.m_log.GetWindowRect(&list);
        EXPECT_GE(window.Width(), CServiceDialog::kMinWidth);
        EXPECT_GE(window.Height(), CServiceDialog::kMinHeight);
        const int extraX = window.Width() - list.Width();
        const int extraY = window.Height() - list.Height();
        CRect client;
        s.GetClientRect(&client);
        EXPECT_EQ(uitest::SmallestClientSize(&s), CSize(CServiceDialog::kMinWidth, CServiceDialog::kMinHeight) - (window.Size() - client.Size()))
            << "the window manager is told the minimum";

        s.SetWindowPos(nullptr, 0, 0, window.Width() + 100, window.Height() + 60, SWP_NOMOVE | SWP_NOZORDER);
        s.m_log.GetWindowRect(&list);
        EXPECT_EQ(list.Width(), window.Width() + 100 - extraX);
        EXPECT_EQ(list.Height(), window.Height() + 60 - extraY);

        s.SetWindowPos(nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        s.GetWindowRect(&window);
        EXPECT_EQ(window.Width(), CServiceDialog::kMinWidth);
        EXPECT_EQ(window.Height(), CServiceDialog::kMinHeight);
        s.m_log.GetWindowRect(&list);
        EXPECT_EQ(list.Width(), CServiceDialog::kMinWidth - extraX);
        EXPECT_EQ(list.Height(), CServiceDialog::kMinHeight - extraY);

        uitest::PressEscape(&s);
        EXPECT_FALSE(s.IsWindowVisible());
        EXPECT_TRUE(d.ContinueModal());
    });
}

TEST_F(ServiceWindowTest, TheStatusLineShowsTheEventLogsStatusAfterATick)
{
    RunHost([&](ToolHostWindow& d) {
        CServiceDialog& s = d.Service();
        Show(s);
        const auto shown = [&] {
            CString text;
            s.GetDlgItemText(CVelkaroDlg::kServiceStatusId, text);
            return std::string(text);
        };
        for (const char* status : {"Обмен: 12 пакетов, 0 ошибок", "Обмен: 13 пакетов, 1 ошибка", ""}) {
            EventLog::Instance()->SetStatus(status);
            Tick(d);
            EXPECT_EQ(shown(), status);
        }
        // A hidden window keeps following, so it shows the current text when it comes back.
        uitest::PressEscape(&s);
        ASSERT_FALSE(s.IsWindowVisible());
        EventLog::Instance()->SetStatus("Отключено");
        Tick(d);
        EXPECT_EQ(shown(), "Отключено");
    });
    EventLog::Instance()->SetStatus("");
}
