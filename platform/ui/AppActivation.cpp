// WM_ACTIVATEAPP: the program's top-level windows learn when the program as a whole becomes the
// active one or stops being it (the user switches to another program). Qt reports that as a
// change of the application state; windows that show transient things (tooltips) close them.

#include "platform/ui/WndImpl.h"

#include <QGuiApplication>

namespace uiimpl {

namespace {
bool applicationActive = false;
}

void ApplicationActivationChanged(bool active)
{
    if (active == applicationActive) return;
    applicationActive = active;
    for (HWND h : TopLevelWindows()) Send(h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

void WatchApplicationState()
{
    static bool watching = false;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (watching || app == nullptr) return;
    watching = true;
    applicationActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
    // Hidden and suspended count as inactive: the user is elsewhere either way.
    QObject::connect(app, &QGuiApplication::applicationStateChanged, app,
                     [](Qt::ApplicationState state) { ApplicationActivationChanged(state == Qt::ApplicationActive); });
}

}  // namespace uiimpl
