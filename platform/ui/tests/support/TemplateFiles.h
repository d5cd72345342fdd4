#pragma once
// The dialog templates and string tables under resources/, read and built as the programs do.

#include "platform/ui/Dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace templatefiles {

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::filesystem::path> ResourceFiles(const char* extension)
{
    std::vector<std::filesystem::path> out;
    const std::filesystem::path root = std::filesystem::path(VELKARO_SOURCE_DIR) / "resources";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.path().extension() == extension) out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

// "velkaro/182_sync_condition.dlg": how a failure names a template.
inline std::string ShortName(const std::filesystem::path& file)
{
    return file.parent_path().filename().string() + "/" + file.filename().string();
}

// Custom controls ("ChartCtrl", "BufferDraw") are registered by their objects, which exist
// before the dialog is built; stands in for them.
inline void RegisterCustomClasses(const DialogTemplate& t)
{
    static const std::set<std::string> standard = {"Button", "Static", "Edit", "ListBox", "ComboBox", "SysTreeView32",
                                                   "msctls_updown32", "msctls_progress32", "ScrollBar", "SysTabControl32",
                                                   "msctls_hotkey32", "SysListView32"};
    for (const DialogItemTemplate& item : t.items) {
        WNDCLASS wc;
        if (AfxGetClassInfo(item.className.c_str(), &wc)) continue;
        if (standard.count(item.className) != 0) continue;
        wc.style = CS_DBLCLKS;
        wc.lpszClassName = item.className.c_str();
        AfxRegisterClass(&wc);
    }
}

// Builds the template into dlg; a child template (a property or tab page) goes inside host,
// as its sheet does. Both are shown, so that input reaches them.
inline ::testing::AssertionResult Build(const DialogTemplate& t, CDialog& host, CDialog& dlg)
{
    RegisterCustomClasses(t);
    CWnd* parent = nullptr;
    if ((t.style & WS_CHILD) != 0) {
        DialogTemplate frame;
        frame.rect = CRect(0, 0, t.rect.Width() + 20, t.rect.Height() + 20);
        if (!host.CreateIndirect(frame)) return ::testing::AssertionFailure() << "no host window";
        host.ShowWindow(SW_SHOW);
        parent = &host;
    }
    if (!dlg.CreateIndirect(t, parent)) return ::testing::AssertionFailure() << "the template does not build";
    dlg.ShowWindow(SW_SHOW);
    return ::testing::AssertionSuccess();
}

}  // namespace templatefiles
