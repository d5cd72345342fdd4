#include "app/about/AboutDlg.h"

#include "platform/ui/App.h"
#include "platform/ui/Controls.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr UINT IDR_MAINFRAME = 128;

constexpr const char* CHANGE_HISTORY =
    "Velkaro\r\n"
    "\r\n"
    "Версия 0.1.0.0\r\n"
    "Основные изменения:\r\n"
    "1. Программа перенесена на Linux: окна, элементы управления и рисование работают "
    "на Qt 6, доступ к прибору - через libusb и драйвер последовательного порта ядра.\r\n"
    "2. Ядро прибора: кадры с CRC-8, пакеты протокола, три способа подключения "
    "(USB, драйвер bulk, мост FTDI) и окно выбора устройства.\r\n"
    "3. Связь с прибором в отдельном потоке: запрос - ответ, повтор по таймауту, "
    "журнал событий.\r\n"
    "4. Модель данных для пяти аппаратных версий, расчет развертки и прореживания, "
    "автоматические измерения и спектр.\r\n"
    "5. Сбор данных: чтение экрана и всей памяти, усреднение, самописец с записью "
    "в файлы; файл самописца получает заголовок и при сбое записи.\r\n"
    "6. Настройки сохраняются в velkaro_cfg.xml; испорченный файл не мешает запуску.\r\n"
    "7. Просмотр и правка структуры пакетов; программа проверки плат Durmitt "
    "(тест \"бегущая единица\" портов логического анализатора).\r\n"
    "8. Виртуальный прибор для работы и проверки без оборудования (ключ --demo).\r\n";

}  // namespace

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(IDD, parent) {}

std::string CAboutDlg::GetVersionText()
{
#if defined(VELKARO_VERSION_MAJOR) && defined(VELKARO_VERSION_MINOR) && \
    defined(VELKARO_VERSION_PATCH) && defined(VELKARO_VERSION_TWEAK)
    char text[64];
    // At least one digit each, no padding: "0.1.0.0".
    std::snprintf(text, sizeof(text), "%1.1d.%1.1d.%1.1d.%1.1d", VELKARO_VERSION_MAJOR,
                  VELKARO_VERSION_MINOR, VELKARO_VERSION_PATCH, VELKARO_VERSION_TWEAK);
    return text;
#else
    return "неизвестна";
#endif
}

std::string CAboutDlg::GetVersionLine()
{
    return "Velkaro Версия " + GetVersionText() + "\nBrelvin";
}

const char* CAboutDlg::GetChangeHistory()
{
    return CHANGE_HISTORY;
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* icon = static_cast<CStatic*>(GetDlgItem(IDC_ICON)))
        icon->SetIcon(LoadIcon(nullptr, reinterpret_cast<const char*>(static_cast<std::uintptr_t>(IDR_MAINFRAME))));
    SetDlgItemText(IDC_VERSION, GetVersionLine().c_str());
    SetDlgItemText(IDC_HISTORY, GetChangeHistory());
    return TRUE;
}
