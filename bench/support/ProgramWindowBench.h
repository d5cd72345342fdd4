#pragma once
// Velkaro's main window as the program makes it, for benchmarks: set up from a settings file of
// its own in a temporary folder, run modally, with `body` called inside its loop; the window is
// closed after it.

#include "app/main/VelkaroApp.h"
#include "app/main/VelkaroDlg.h"
#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "platform/ui/testing/UiTest.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

inline void RunProgramWindow(benchmark::State& state, const std::string& folderName,
                             const std::function<void(CVelkaroDlg&)>& body)
{
    if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    uitest::EnsureApplication();
    CVelkaroApp app;
    if (!app.SetUpProgram()) {
        state.SkipWithError("the program did not set up");
        return;
    }
    const auto folder = std::filesystem::temp_directory_path() / folderName;
    std::filesystem::create_directories(folder);
    const std::string config = (folder / "velkaro_cfg.xml").string();
    std::filesystem::remove(config);
    ConfigSections.clear();
    DeleteOscData();
    CVelkaroDlg dialog;
    dialog.SetConfigPath(config);
    app.m_pMainWnd = &dialog;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        auto& d = *static_cast<CVelkaroDlg*>(m.window);
        body(d);
        if (d.ContinueModal()) uitest::Click(d.GetDlgItem(IDCANCEL));
    });
    dialog.DoModal();
    app.m_pMainWnd = nullptr;
}

}  // namespace bench
