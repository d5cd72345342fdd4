#include "platform/gdi/ImageFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

bool SaveDCAsPng(const CDC& dc, const std::string& path)
{
    const QImage* image = dc.GetSurfaceImage();
    if (image == nullptr || image->isNull()) return false;
    const QString file = QString::fromStdString(path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    // GDI leaves the reserved byte of a pixel free; the file shows every pixel opaque.
    QImage opaque = image->convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x) row[x] |= 0xFF000000u;
    }
    return opaque.save(file, "PNG");
}
