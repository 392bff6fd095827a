#include "framework/picture.h"

#include <QPainter>

namespace fw {

Graphics::Graphics(QImage *image, uint64_t *changes) : m_image(image), m_changes(changes) {}

Graphics::Graphics(QPainter *painter, const QRect &area) : m_painter(painter), m_area(area) {}

template <class Paint> void Graphics::paint(Paint &&paint)
{
    if (m_image != nullptr) {
        ++*m_changes;
        QPainter painter(m_image);
        paint(painter);
        return;
    }
    m_painter->save();
    m_painter->setClipRect(m_area);
    m_painter->translate(m_area.topLeft());
    paint(*m_painter);
    m_painter->restore();
}

void Graphics::FillRect(int x, int y, int width, int height)
{
    paint([&](QPainter &painter) { painter.fillRect(QRect(x, y, width, height), m_foreColor); });
}

void Graphics::DrawPicture(const PicturePtr &picture, int x, int y)
{
    if (!picture)
        return;
    const QImage image = picture->rendered();
    paint([&](QPainter &painter) { painter.drawImage(QPoint(x, y), image); });
}

Picture::Picture(int width, int height, int depth)
    : m_image(qMax(width, 0), qMax(height, 0), QImage::Format_ARGB32_Premultiplied), m_depth(depth)
{
    m_image.fill(Qt::white);
}

Picture::Picture(const QImage &image) : m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)) {}

PicturePtr Picture::Mask(bool create)
{
    if (!m_mask && create) {
        m_mask = std::make_shared<Picture>(Width(), Height(), 32);
        m_mask->m_image.fill(Qt::black);
        ++m_changes;
    }
    return m_mask;
}

QImage Picture::rendered() const
{
    if (!m_mask)
        return m_image;
    QImage result = m_image.convertToFormat(QImage::Format_ARGB32);
    const QImage mask = m_mask->m_image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        const auto *maskLine =
            y < mask.height() ? reinterpret_cast<const QRgb *>(mask.constScanLine(y)) : nullptr;
        for (int x = 0; x < result.width(); ++x) {
            // Outside the mask counts as opaque, as an unmasked picture would be.
            const int opacity = maskLine != nullptr && x < mask.width() ? 255 - qGray(maskLine[x]) : 255;
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) * opacity / 255);
        }
    }
    return result;
}

PicturePtr NewPicture(int width, int height, int depth)
{
    return std::make_shared<Picture>(width, height, depth);
}

} // namespace fw
