#pragma once
// The owner the tooltip tests work with: the main window's template with its tooltip texts,
// relaying every message to its tooltip as the main window does.

#include "widgets/tooltip/PPToolTip.h"

#include "platform/kernel/CString.h"
#include "platform/ui/App.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <string>
#include <utility>
#include <vector>

namespace tiptest {

// The main window's controls and their tooltip texts.
inline const std::vector<std::pair<int, std::string>>& MainTexts()
{
    static const std::vector<std::pair<int, std::string>> texts{
        {1047, "Старт/стоп захвата"},
        {1023, "Одиночный захват"},
        {1060, "Выбор горизонтальной развертки"},
        {1006, "Изменение горизонтальной развертки"},
        {1030, "Нормальный режим в стопе: изменение смещения по X\r\nТриггер: изменение пред/пост захвата\r\n"
               "Триггер в стопе: изменение смещения по X"},
        {1012, "Включение канала A"},
        {1013, "Включение канала B"},
        {1051, "Выбор вертикальной развертки канала A\r\n(значения на 2 и 5 - программные)"},
        {1055, "Выбор вертикальной развертки канала B\r\n(значения на 2 и 5 - программные)"},
        {1008, "Изменение вертикальной развертки канала A"},
        {1010, "Изменение вертикальной развертки канала B"},
        {1019, "Значение смещения по напряжению канала A\r\nотносительно середины"},
        {1021, "Значение смещения по напряжению канала B\r\nотносительно середины"},
        {1018, "Изменение смещения по напряжению канала A\r\nотносительно середины"},
        {1020, "Изменение смещения по напряжению канала B\r\nотносительно середины"},
        {1074, "Возвращение смещения канала A в нуль"},
        {1003, "Возвращение смещения канала B в нуль"},
        {1029, "Выбор источника синхронизации триггера"},
        {1046, "Фронт триггера"},
        {1082, "Условие срабатывания триггера в режиме логического анализатора"},
        {1027, "Значение уровня аналогового триггера"},
        {1026, "Изменение уровня аналогового триггера"},
        {1004, "Возвращение уровня аналогового триггера в нуль"},
    };
    return texts;
}

inline std::string IconTable(const std::string& text)
{
    return StringFormat("<table><tr><td><icon handle=0x%X></td><td>%s</td></tr></table>",
                        LoadIcon(nullptr, IDI_INFORMATION), text.c_str());
}

// The main window's template, its controls registered with its tooltip.
class Owner : public CDialog {
public:
    explicit Owner(CPoint place = CPoint(40, 40))
    {
        for (const char* name : {"ChartCtrl", "BufferDraw", "DigitalBusCtrl"}) {
            WNDCLASS wc;
            wc.lpszClassName = name;
            AfxRegisterClass(&wc);
        }
        RegisterVelkaroResources();
        Create(102);
        SetWindowPos(nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        // The pointer comes in over the background, as a user's does when the window opens. The
        // window system drops a move to the point the pointer already rests on, so without this
        // a test's first rest on a control could be lost to where an earlier window (in the same
        // place) left the pointer.
        uitest::MouseMove(this, CPoint(1, 1));
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        tip.Create(this);
        for (const auto& [id, text] : MainTexts())
            if (CWnd* control = GetDlgItem(id)) tip.AddTool(control, IconTable(text));
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        tip.RelayEvent(msg);
        return CDialog::PreTranslateMessage(msg);
    }
    CPoint ScreenPointOf(int id, CPoint inControl = CPoint(4, 4))
    {
        CPoint p = inControl;
        GetDlgItem(id)->ClientToScreen(&p);
        return p;
    }

    CPPToolTip tip;
};

}  // namespace tiptest
