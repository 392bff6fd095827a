#include "framework/progresswheel.h"

#include <QBasicTimer>
#include <QPainter>
#include <QTimerEvent>

namespace fw {

namespace {

constexpr int Spokes = 12;
constexpr int StepMs = 80;

class Wheel : public QWidget
{
public:
    bool spinning() const { return m_timer.isActive(); }

protected:
    void showEvent(QShowEvent * /*event*/) override { m_timer.start(StepMs, this); }
    void hideEvent(QHideEvent * /*event*/) override { m_timer.stop(); }

    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() != m_timer.timerId())
            return;
        m_step = (m_step + 1) % Spokes;
        update();
    }

    void paintEvent(QPaintEvent * /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = qMin(width(), height());
        painter.translate(width() / 2.0, height() / 2.0);
        QPen pen(palette().color(QPalette::WindowText));
        pen.setWidthF(qMax(1.5, side / 10));
        pen.setCapStyle(Qt::RoundCap);
        for (int i = 0; i < Spokes; ++i) {
            // The spoke at the current step is darkest; the ones behind it fade.
            QColor color = pen.color();
            color.setAlphaF(static_cast<float>(1.0 - ((m_step - i + Spokes) % Spokes) / qreal(Spokes)));
            pen.setColor(color);
            painter.setPen(pen);
            painter.drawLine(QPointF(0, -side * 0.22), QPointF(0, -side * 0.45));
            painter.rotate(360.0 / Spokes);
        }
    }

private:
    QBasicTimer m_timer;
    int m_step = 0;
};

} // namespace

ProgressWheel::ProgressWheel() : Control(new Wheel) {}

bool ProgressWheel::isSpinning() const
{
    return static_cast<Wheel *>(widget())->spinning();
}

} // namespace fw
