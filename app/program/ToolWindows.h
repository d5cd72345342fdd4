#pragma once
// The program's composition of the main window with the windows built on top of it: which
// class goes into each tool-window slot, and the save dialog behind "Сохранить". Called once
// before the main window is made; every main window made afterwards gets them.

void InstallToolWindows();
