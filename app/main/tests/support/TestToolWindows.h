#pragma once
// Tool windows for the main window's tests: plain tool windows in every slot, made from the
// program's settings (134) and service (135) templates and from small test templates, so that
// the main window's handlers for their controls can be driven through real clicks. Each window
// reports what the main window does to it.

#include "app/main/VelkaroDlg.h"
#include "app/tooldialog/ToolDialog.h"

#include <string>
#include <vector>

class TestToolWindow : public CToolDialog {
public:
    TestToolWindow(std::string name, Forwarding forwarding) : CToolDialog(0, nullptr, forwarding), name_(std::move(name)) {}

    void Reset() override;
    void OnShowTool(bool shown) override;
    void DoDataExchange(CDataExchange* dx) override;

    const std::string& Name() const { return name_; }
    // The settings window's bus radix list as its data exchange reads it (-1: never read).
    int radix = -1;

private:
    std::string name_;
};

// "<window> reset", "<window> shown", "<window> hidden", oldest first.
std::vector<std::string>& ToolEvents();

// Every main window made after this call gets the seven test windows; undone by the second.
void InstallTestToolWindows();
void RemoveTestToolWindows();

TestToolWindow* TestTool(CVelkaroDlg& main, CToolDialogList::Slot slot);
