// The main window's tooltips: what each control does, with the information icon beside it,
// and the balloons that answer a refused action.

#include "app/main/VelkaroDlg.h"
#include "platform/ui/App.h"

namespace {

struct ControlTip {
    UINT id;
    const char* text;
};

// The math trace's controls live in the math window, which registers them with its own tooltip.
constexpr ControlTip kControlTips[] = {
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

}  // namespace

// Only the controls the template has get their tips.
void CVelkaroDlg::RegisterToolTips()
{
    const HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    for (const ControlTip& tip : kControlTips)
        if (CWnd* control = GetDlgItem(static_cast<int>(tip.id)))
            tooltip_.AddTool(control, CPPToolTip::IconTipText(icon, tip.text));
}
