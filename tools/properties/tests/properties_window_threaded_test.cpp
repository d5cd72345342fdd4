// The settings window inside the running main window: its read-outs, the number-base list, its
// close command and its stored record.

#include "tools/calibration/testing/ToolWindowsFixture.h"

#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "platform/ui/testing/UiTest.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using PropertiesWindowTest = ToolWindowsTest;

std::string TextOf(CWnd& window, UINT id)
{
    CString text;
    window.GetDlgItemText(id, text);
    return text;
}

}  // namespace

TEST_F(PropertiesWindowTest, ReadoutsFollowTheModelWhileShown)
{
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        ASSERT_FALSE(p.IsWindowVisible());
        // The first tick brings every control in line with the model (the time base among
        // them); the read-outs are checked against a settled window.
        Tick(d);
        WithData([](OscData& data) {
            data.x_skip = 1;
            data.x_zoom_in = 1;
        });
        // Hidden, the window keeps what it shows.
        Tick(d);
        EXPECT_EQ(TextOf(p, CPropertiesDialog::IDC_BUFFER_INFO), "Размер буфера: 0\r\nFsampling:");

        Show(p);
        Tick(d);
        std::string capture;
        WithData([&](OscData& data) { capture = FormatCaptureTime(data); });
        // 80 MHz, every second sample kept.
        EXPECT_EQ(TextOf(p, CPropertiesDialog::IDC_BUFFER_INFO),
                  "Размер буфера: " + capture + "\r\nFsampling = 40.000 MHz");
        EXPECT_EQ(TextOf(p, CPropertiesDialog::IDC_INTERPOLATION), "Используемая интерполяция: нет");

        WithData([](OscData& data) {
            data.x_zoom_in = 4;
            data.mode |= MODE_LINEAR;
            // The largest decimation the field holds: x_skip + 1 must not wrap to zero.
            data.x_skip = 0xFFFFFFFFu;
        });
        Tick(d);
        EXPECT_EQ(TextOf(p, CPropertiesDialog::IDC_INTERPOLATION), "Используемая интерполяция: лин");
        const std::string buffer = TextOf(p, CPropertiesDialog::IDC_BUFFER_INFO);
        EXPECT_NE(buffer.find("\r\nFsampling = 0.019 Hz"), std::string::npos) << buffer;
    });
}

TEST_F(PropertiesWindowTest, RecorderFileNamesKeepTheirEndWhenShortened)
{
    const std::string longPath = "/home/operator/измерения/2026/декабрь/стенд_номер_четыре/канал_A_запись.dat";
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        Show(p);
        WithData([&](OscData& data) {
            data.str_datalogger_fn[0] = longPath;
            data.str_datalogger_fn[1] = "/tmp/b.dat";
        });
        Tick(d);
        const std::string a = TextOf(p, CPropertiesDialog::IDC_FILE_A);
        EXPECT_NE(a, longPath);
        EXPECT_NE(a.find("..."), std::string::npos) << a;
        const std::string name = "/канал_A_запись.dat";
        ASSERT_GE(a.size(), name.size());
        EXPECT_EQ(a.substr(a.size() - name.size()), name);
        EXPECT_EQ(a.substr(0, 5), "/home");
        EXPECT_EQ(TextOf(p, CPropertiesDialog::IDC_FILE_B), "/tmp/b.dat");
        EXPECT_TRUE(uitest::RenderToPng(&p, uitest::OutputPath("tools/properties_window.png")));
    });
}

TEST_F(PropertiesWindowTest, NumberBaseListFollowsTheMainWindowsRadix)
{
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        Show(p);
        auto* list = static_cast<CComboBox*>(p.GetDlgItem(CPropertiesDialog::IDC_RADIX));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->GetCount(), 3);
        const char* names[] = {"HEX", "DEC", "BIN"};
        for (int i = 0; i < 3; ++i) {
            CString text;
            list->GetLBText(i, text);
            EXPECT_EQ(text, names[i]);
        }
        // The user's choice reaches the main window through its handler of the list.
        uitest::SelectComboItem(list, 2);
        EXPECT_EQ(d.bus_radix, 2);
        uitest::SelectComboItem(list, 1);
        EXPECT_EQ(d.bus_radix, 1);

        // A radix no base answers to, as a damaged settings file gives: "HEX".
        d.bus_radix = 7;
        CPropertiesDialog fresh(&d);
        auto* freshList = static_cast<CComboBox*>(fresh.GetDlgItem(CPropertiesDialog::IDC_RADIX));
        ASSERT_NE(freshList, nullptr);
        EXPECT_EQ(d.bus_radix, 0);
        EXPECT_EQ(freshList->GetCurSel(), 0);
        d.bus_radix = -1;
        CPropertiesDialog negative(&d);
        EXPECT_EQ(d.bus_radix, 0);
    });
}

TEST_F(PropertiesWindowTest, EscapeHidesTheWindowAndLeavesTheMainWindowRunning)
{
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        Show(p);
        ASSERT_TRUE(p.IsWindowVisible());
        uitest::PressEscape(&p);
        EXPECT_FALSE(p.IsWindowVisible());
        EXPECT_TRUE(d.ContinueModal());
        Show(p);
        uitest::CloseWindow(&p);
        EXPECT_FALSE(p.IsWindowVisible());
        EXPECT_TRUE(d.ContinueModal());
    });
}

TEST_F(PropertiesWindowTest, RecordHoldsOnlyThePlacementAndLoadsInPlace)
{
    RunHost([&](ToolHostWindow& d) {
        CPropertiesDialog& p = d.Properties();
        Show(p);
        p.SetWindowPos(nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::ostringstream out;
        {
            boost::archive::xml_oarchive archive(out);
            archive << boost::serialization::make_nvp("properties_dlg", p);
        }
        const std::string text = out.str();
        EXPECT_NE(text.find("<base"), std::string::npos);
        EXPECT_NE(text.find("<is_visible>1</is_visible>"), std::string::npos) << text;
        EXPECT_NE(text.find("version=\"0\""), std::string::npos) << text;

        p.ShowWindow(SW_HIDE);
        p.SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::istringstream in(text);
        {
            boost::archive::xml_iarchive archive(in);
            archive >> boost::serialization::make_nvp("properties_dlg", p);
        }
        EXPECT_TRUE(p.IsWindowVisible());
        CRect rect;
        p.GetWindowRect(&rect);
        EXPECT_EQ(rect.left, 120);
        EXPECT_EQ(rect.top, 90);
    });
}
