#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <memory>

class QPainter;

namespace fw {

class Picture;
// Pictures are shared by reference, as the system hands them around; a null pointer is the Nil
// picture.
using PicturePtr = std::shared_ptr<Picture>;

// Drawing on a picture or, while a list paints a cell, on that cell. Coordinates start at the
// target's top left corner, and nothing is drawn outside the target.
class Graphics
{
public:
    // Drawing on an image counts each change in `changes`.
    Graphics(QImage *image, uint64_t *changes);
    Graphics(QPainter *painter, const QRect &area);

    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor &color) { m_foreColor = color; }
    void FillRect(int x, int y, int width, int height);
    // Draws the picture whole, at its own size, with its mask applied. A Nil picture draws nothing.
    void DrawPicture(const PicturePtr &picture, int x, int y);

private:
    template <class Paint> void paint(Paint &&paint);

    QImage *m_image = nullptr;
    uint64_t *m_changes = nullptr;
    QPainter *m_painter = nullptr;
    QRect m_area;
    QColor m_foreColor = Qt::black;
};

// A picture of 32-bit pixels, optionally with a mask. A mask is a picture of the same size whose
// grey levels give the opacity: black is opaque, white transparent, greys between.
class Picture
{
public:
    // A new picture is white and opaque.
    Picture(int width, int height, int depth);
    // A picture of an image (read from a file or made by the platform), kept with its own alpha.
    explicit Picture(const QImage &image);
    // Its Graphics draws into its own pixels, so a picture is never copied.
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    int Depth() const { return m_depth; }

    fw::Graphics &Graphics() { return m_graphics; }

    // The mask; with create True, a new all-black (opaque) mask is made when there is none.
    PicturePtr Mask(bool create = true);

    // The picture as it shows: its pixels with the mask turned into alpha.
    QImage rendered() const;
    // Grows with every change of how the picture shows (its pixels, its mask's), so that what was
    // made of it can be kept until it changes.
    uint64_t revision() const { return m_changes + (m_mask ? m_mask->revision() : 0); }

private:
    QImage m_image;
    int m_depth = 32;
    uint64_t m_changes = 0;
    fw::Graphics m_graphics{&m_image, &m_changes};
    PicturePtr m_mask;
};

PicturePtr NewPicture(int width, int height, int depth);

} // namespace fw
