// The main window's tooltips and refusal balloons, as a user meets them.

#include "app/main/testing/MainWindowFixture.h"

#include "app/hotkeys/HotkeyTable.h"
#include "app/main/SettingSteps.h"
#include "core/data/OscData.h"

#include <QImage>
#include <QWidget>

namespace {

bool Read(bool (*f)())
{
    CSingleLock lock(&DataLock, TRUE);
    return f();
}

class MainWindowTooltipsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ForgetTriggerChannels();
        HotkeyTable::Instance().SetDefaults();
        uitest::SetApplicationActive(true);
    }
    // Channel B off and the trigger on A: choosing B as the source is refused.
    static void RefuseTriggerOnB(CVelkaroDlg& d)
    {
        CWnd* list = d.GetDlgItem(CVelkaroDlg::kTriggerSourceId);
        uitest::SelectListItem(list, 1);
        WithData([](OscData& data) { data.EnableChannelB(false); });
        uitest::SelectListItem(list, 2);
    }
};

TEST_F(MainWindowTooltipsTest, EveryControlOfTheWindowExplainsItself)
{
    RunWindow([&](CVelkaroDlg& d) {
        const struct {
            int id;
            const char* text;
        } tips[] = {
            {1047, "Старт/стоп захвата"},
            {1060, "Выбор горизонтальной развертки"},
            {1030, "Триггер: изменение пред/пост захвата\r\n"},
            {1051, "(значения на 2 и 5 - программные)"},
            {1021, "Значение смещения по напряжению канала B\r\nотносительно середины"},
            {1074, "Возвращение смещения канала A в нуль"},
            {1004, "Возвращение уровня аналогового триггера в нуль"},
            {1026, "Изменение уровня аналогового триггера"},
        };
        for (const auto& tip : tips)
        {
            SCOPED_TRACE(tip.id);
            const std::string text = d.GetToolTip().GetToolText(d.GetDlgItem(tip.id)->m_hWnd);
            EXPECT_NE(text.find(tip.text), std::string::npos) << text;
            EXPECT_EQ(text.rfind("<table><tr><td><icon handle=0x", 0), 0u) << text;
        }
        const int registered[] = {1047, 1023, 1060, 1006, 1030, 1012, 1013, 1051, 1055, 1008, 1010, 1019,
                                  1021, 1018, 1020, 1074, 1003, 1029, 1046, 1027, 1026, 1004};
        for (int id : registered)
            EXPECT_EQ(d.GetToolTip().ToolRecordCount(d.GetDlgItem(id)->m_hWnd), 1u) << id;
        EXPECT_EQ(d.GetToolTip().ToolRecordCount(d.GetDlgItem(1002)->m_hWnd), 0u);
        // No tool windows in this program run: nothing to point into.
        EXPECT_EQ(d.service_window, nullptr);
        EXPECT_EQ(d.max_buffer_list, nullptr);
        EXPECT_EQ(d.out_freq_list, nullptr);

        // Resting on a control shows its tip: the window hands the mouse to its tooltip.
        uitest::MouseMove(d.GetDlgItem(1047), CPoint(3, 3));
        ASSERT_TRUE(uitest::FireTimer(&d.GetToolTip(), CPPToolTip::TIMER_SHOW));
        EXPECT_TRUE(d.GetToolTip().IsWindowVisible());
        EXPECT_EQ(d.GetToolTip().GetCurrentTool(), d.GetDlgItem(1047)->m_hWnd);
    });
}

TEST_F(MainWindowTooltipsTest, ARefusalIsABalloonAndTheListSnapsBack)
{
    RunWindow([&](CVelkaroDlg& d) {
        uihooks::TakeMessageBoxLog();
        RefuseTriggerOnB(d);
        CPPToolTip& tip = d.GetToolTip();
        EXPECT_TRUE(tip.IsWindowVisible());
        EXPECT_EQ(d.GetLastRefusal(), "Необходимо сначало включить канал B!");
        EXPECT_EQ(static_cast<CListBox*>(d.GetDlgItem(CVelkaroDlg::kTriggerSourceId))->GetCurSel(), 1);
        EXPECT_TRUE(uihooks::TakeMessageBoxLog().empty()) << "no box to dismiss";

        // The balloon over the window, for a reviewer.
        uitest::ProcessEvents();
        QWidget* main = uitest::WidgetOf(&d);
        QWidget* balloon = uitest::WidgetOf(&tip);
        ASSERT_NE(main, nullptr);
        ASSERT_NE(balloon, nullptr);
        // The balloon's pixels inside its shape only, as the screen shows them.
        QImage picture = main->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shape = balloon->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint at = balloon->mapToGlobal(QPoint(0, 0)) - main->mapToGlobal(QPoint(0, 0));
        for (int y = 0; y < shape.height(); ++y)
            for (int x = 0; x < shape.width(); ++x)
                if (tip.TipRegionContains(CPoint(x, y)) && picture.rect().contains(at + QPoint(x, y)))
                    picture.setPixel(at + QPoint(x, y), shape.pixel(x, y));
        EXPECT_TRUE(picture.save(QString::fromStdString(uitest::OutputPath("app_main/refusal_balloon.png")), "PNG"));

        // A key the hotkeys do not take puts the balloon away.
        uitest::Key(d.GetDlgItem(1047), 'Q');
        EXPECT_FALSE(tip.IsWindowVisible());
    });
}

TEST_F(MainWindowTooltipsTest, AHotkeyIsTakenBeforeTheTooltipSeesIt)
{
    RunWindow([&](CVelkaroDlg& d) {
        RefuseTriggerOnB(d);
        ASSERT_TRUE(d.GetToolTip().IsWindowVisible());
        const bool stopped = Read([] { return (GetOscData()->mode & MODE_STOPPED) != 0; });
        uitest::Key(d.GetDlgItem(1047), VK_SPACE);
        EXPECT_NE(Read([] { return (GetOscData()->mode & MODE_STOPPED) != 0; }), stopped);
        EXPECT_TRUE(d.GetToolTip().IsWindowVisible());
    });
}

}  // namespace
