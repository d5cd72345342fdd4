#include "platform/gdi/ImageFile.h"

#include "platform/gdi/GdiInternal.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

bool SaveDCAsPng(const CDC& dc, const std::string& path)
{
    const CBitmap* bitmap = dc.GetCurrentBitmap();
    const gdi::ObjectPtr o = bitmap != nullptr ? gdi::FindObject(bitmap->m_hObject, GdiObjectKind::Bitmap) : nullptr;
    if (!o) return false;
    const QImage picture = gdi::OpaquePicture(o->bitmap);
    if (picture.isNull()) return false;
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    return picture.save(file, "PNG");
}
