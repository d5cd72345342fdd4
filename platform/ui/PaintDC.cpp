#include "platform/ui/PaintDC.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/WndImpl.h"

#include <QImage>
#include <QPainter>

namespace uiimpl {

namespace {
thread_local QWidget* paintingWidget = nullptr;
}

QWidget* PaintingWidget() { return paintingWidget; }

// WM_ERASEBKGND with a DC on the widget, then WM_PAINT, whose handler makes its own CPaintDC.
void PaintWindow(Record& r, QWidget* widget)
{
    const HWND hwnd = r.HandleValue();
    QWidget* previous = paintingWidget;
    paintingWidget = widget;
    {
        QPainter painter(widget);
        CDC dc;
        dc.AttachPainter(&painter, widget->width(), widget->height());
        Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(&dc), 0);
        dc.DetachPainter();
    }
    if (Find(hwnd) != nullptr) Send(hwnd, WM_PAINT, 0, 0);
    paintingWidget = previous;
}

}  // namespace uiimpl

CWindowSurfaceDC::CWindowSurfaceDC(CWnd* wnd) : m_hWnd(wnd != nullptr ? wnd->m_hWnd : nullptr)
{
    QWidget* w = uiimpl::WidgetOf(m_hWnd);
    const int width = w != nullptr ? std::max(1, w->width()) : 1;
    const int height = w != nullptr ? std::max(1, w->height()) : 1;
    if (w != nullptr && w == uiimpl::PaintingWidget()) {
        painter_ = std::make_unique<QPainter>(w);
        onScreen_ = painter_->isActive();
    }
    if (!onScreen_) {
        painter_.reset();
        // As fine as the window's own pixels, so that pictures made compatible with this DC
        // match the window.
        const int ratio = w != nullptr ? gdi::PixelRatioFor(w->devicePixelRatioF()) : 1;
        scratch_ = std::make_unique<QImage>(width * ratio, height * ratio, QImage::Format_RGB32);
        scratch_->setDevicePixelRatio(ratio);
        scratch_->fill(Qt::white);
        painter_ = std::make_unique<QPainter>(scratch_.get());
    }
    AttachPainter(painter_.get(), width, height);
}

CWindowSurfaceDC::~CWindowSurfaceDC()
{
    DetachPainter();
    if (painter_ != nullptr) painter_->end();
}

CPaintDC::CPaintDC(CWnd* wnd) : CWindowSurfaceDC(wnd)
{
    if (wnd != nullptr) wnd->GetClientRect(&m_ps.rcPaint);
    m_ps.hdc = m_hDC;
}

CDC* CWnd::GetDC() { return new CClientDC(this); }
CDC* CWnd::GetWindowDC() { return new CWindowDC(this); }

int CWnd::ReleaseDC(CDC* dc)
{
    if (dc == nullptr) return 0;
    delete dc;
    return 1;
}
