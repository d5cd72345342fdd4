#pragma once
// The top-level windows in the order the window system is asked to map them, for tests that
// check which window comes up before which.

#include "platform/ui/testing/UiTest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace uitest {

class MapOrder : public QObject {
public:
    MapOrder() { QCoreApplication::instance()->installEventFilter(this); }
    ~MapOrder() override { QCoreApplication::instance()->removeEventFilter(this); }
    MapOrder(const MapOrder&) = delete;
    MapOrder& operator=(const MapOrder&) = delete;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show && object->isWidgetType() && static_cast<QWidget*>(object)->isWindow())
            mapped.push_back(static_cast<QWidget*>(object));
        return false;
    }
    // The window's place in the order, -1 when it was not mapped.
    int Place(CWnd* wnd) const
    {
        const auto it = std::find(mapped.begin(), mapped.end(), WidgetOf(wnd));
        return it == mapped.end() ? -1 : static_cast<int>(it - mapped.begin());
    }

    std::vector<QWidget*> mapped;
};

}  // namespace uitest
