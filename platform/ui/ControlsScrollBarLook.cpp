// How every scroll bar shows its thumb: the scroll bar controls, and those of lists, trees and
// multi-line edits alike.
//
// Qt's Fusion style, the one the programs get on a desktop without a theme of its own (openbox,
// Xvfb, off screen), draws the thumb nearly white on a light grey groove with only a hairline
// round it. The part of the groove the thumb leaves free is then the block that stands out, and
// it lies where the thumb is not: at the bottom while the first rows show, moving up as the
// list moves down. A user reads the bar backwards. The thumb is drawn here darker than its
// groove, as most desktops draw it, so the eye finds it where it is.

#include "platform/ui/ControlsImpl.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace uiimpl {

namespace {

// Darkening factors (Qt's QColor::darker, percent) of the thumb against the button colour,
// whose slightly darker shade Fusion fills the groove with: at rest, under the mouse, held.
constexpr int kThumbShade = 140;
constexpr int kThumbHoverShade = 155;
constexpr int kThumbPressedShade = 175;
constexpr int kThumbDisabledShade = 112;
constexpr int kThumbOutlineShade = 185;
// The thumb keeps this far from the groove's long edges, so it reads as a part of its own.
constexpr int kThumbInset = 2;

class ScrollBarLook : public QProxyStyle {
public:
    explicit ScrollBarLook(const QString& base) : QProxyStyle(base) {}

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || bar == nullptr || (bar->subControls & SC_ScrollBarSlider) == 0) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionSlider rest(*bar);
        rest.subControls &= ~SC_ScrollBarSlider;
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);

        QRect thumb = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
        if (thumb.isEmpty() || bar->minimum >= bar->maximum) return;
        const bool horizontal = bar->orientation == Qt::Horizontal;
        // drawRect with a pen covers one pixel more each way than the rectangle's size.
        thumb = horizontal ? thumb.adjusted(0, kThumbInset, -1, -kThumbInset - 1)
                           : thumb.adjusted(kThumbInset, 0, -kThumbInset - 1, -1);
        const QColor button = bar->palette.color(QPalette::Button);
        int shade = kThumbShade;
        if ((bar->state & State_Enabled) == 0) shade = kThumbDisabledShade;
        else if ((bar->activeSubControls & SC_ScrollBarSlider) != 0)
            shade = (bar->state & State_Sunken) != 0 ? kThumbPressedShade : kThumbHoverShade;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(button.darker(kThumbOutlineShade));
        painter->setBrush(button.darker(shade));
        painter->drawRect(thumb);
        painter->restore();
    }
};

}  // namespace

void UseScrollBarLook()
{
    QStyle* current = QApplication::style();
    if (current == nullptr || dynamic_cast<ScrollBarLook*>(current) != nullptr) return;
    if (current->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0) return;
    QApplication::setStyle(new ScrollBarLook(current->name()));
}

}  // namespace uiimpl
