// CDC: clipping.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

using namespace gdi;

namespace {

int KindOf(const QRegion& r)
{
    if (r.isEmpty()) return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

int CDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    GdiRecord rec = d->MakeRecord("IntersectClipRect");
    rec.rect = CRect(left, top, right, bottom);
    d->Record(std::move(rec));
    const QRect rect = d->ToDevice(NormalRect(left, top, right, bottom));
    const QRegion r = rect.isValid() ? QRegion(rect) : QRegion();
    if (d->s.hasClip) {
        d->s.clip = d->s.clip.intersected(r);
    } else {
        const QSize size = d->DeviceSize();
        d->s.clip = r.intersected(QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0)));
        d->s.hasClip = true;
    }
    return KindOf(d->s.clip);
}

int CDC::IntersectClipRect(const RECT* rect)
{
    return rect != nullptr ? IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR_REGION;
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom)
{
    const QRect rect = d->ToDevice(NormalRect(left, top, right, bottom));
    if (!d->s.hasClip) {
        const QSize size = d->DeviceSize();
        d->s.clip = QRegion(QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0)));
        d->s.hasClip = true;
    }
    if (rect.isValid()) d->s.clip = d->s.clip.subtracted(rect);
    return KindOf(d->s.clip);
}

int CDC::ExcludeClipRect(const RECT* rect)
{
    return rect != nullptr ? ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom) : ERROR_REGION;
}

int CDC::SelectClipRgn(CRgn* region) { return SelectClipRgn(region, RGN_COPY); }

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    ObjectPtr r = region != nullptr ? FindObject(region->m_hObject, GdiObjectKind::Region) : nullptr;
    // Recorded with the region's bounding box; removing the clip records an empty rectangle.
    GdiRecord rec = d->MakeRecord("SelectClipRgn");
    if (r) {
        const QRect box = r->region.region.boundingRect();
        if (!box.isEmpty()) rec.rect = CRect(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    }
    rec.flags = static_cast<UINT>(mode);
    d->Record(std::move(rec));
    if (r == nullptr) {
        if (mode != RGN_COPY) return ERROR_REGION;
        d->s.hasClip = false;
        d->s.clip = QRegion();
        return SIMPLEREGION;
    }
    const QRegion& in = r->region.region;
    if (mode == RGN_COPY || !d->s.hasClip) {
        const QSize size = d->DeviceSize();
        QRegion current = QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0));
        if (d->s.hasClip) current = d->s.clip;
        switch (mode) {
        case RGN_COPY: d->s.clip = in; break;
        case RGN_AND: d->s.clip = current.intersected(in); break;
        case RGN_OR: d->s.clip = current.united(in); break;
        case RGN_XOR: d->s.clip = current.xored(in); break;
        case RGN_DIFF: d->s.clip = current.subtracted(in); break;
        default: return ERROR_REGION;
        }
    } else {
        switch (mode) {
        case RGN_AND: d->s.clip = d->s.clip.intersected(in); break;
        case RGN_OR: d->s.clip = d->s.clip.united(in); break;
        case RGN_XOR: d->s.clip = d->s.clip.xored(in); break;
        case RGN_DIFF: d->s.clip = d->s.clip.subtracted(in); break;
        default: return ERROR_REGION;
        }
    }
    d->s.hasClip = true;
    return KindOf(d->s.clip);
}

int CDC::GetClipBox(RECT* rect) const
{
    if (rect == nullptr) return ERROR_REGION;
    const QSize size = d->DeviceSize();
    QRegion visible = QRect(QPoint(0, 0), size.isValid() ? size : QSize(0, 0));
    if (d->s.hasClip) visible = visible.intersected(d->s.clip);
    QRect box = visible.boundingRect();
    if (!d->IdentityMapping() && !visible.isEmpty()) {
        bool invertible = false;
        const QTransform inv = d->Mapping().inverted(&invertible);
        if (invertible) box = inv.mapRect(QRectF(box)).toAlignedRect();
    }
    *rect = visible.isEmpty() ? RECT{0, 0, 0, 0} : RECT{box.left(), box.top(), box.right() + 1, box.bottom() + 1};
    return KindOf(visible);
}

BOOL CDC::PtVisible(int x, int y) const
{
    const QPoint p = d->Mapping().map(QPoint(x, y));
    const QSize size = d->DeviceSize();
    if (p.x() < 0 || p.y() < 0 || p.x() >= size.width() || p.y() >= size.height()) return FALSE;
    return !d->s.hasClip || d->s.clip.contains(p) ? TRUE : FALSE;
}
