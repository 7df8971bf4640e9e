#include "platform/qt/busy_spinner.h"

#include <QPainter>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace twl {
namespace {
constexpr int dotCount = 12;
constexpr int frameMs = 80;
}  // namespace

BusySpinner::BusySpinner(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void BusySpinner::setAnimating(bool animating) {
    if (animating == isAnimating()) {
        return;
    }
    if (animating) {
        timer_.start(frameMs, this);
    } else {
        timer_.stop();
    }
    update();
}

void BusySpinner::setColor(const QColor& color) {
    color_ = color;
    update();
}

void BusySpinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    step_ = (step_ + 1) % dotCount;
    update();
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double side = std::min(width(), height());
    const double dot = side / 7.0;
    const double radius = side / 2.0 - dot;
    const QPointF centre = rect().center() + QPointF(0.5, 0.5);
    for (int i = 0; i < dotCount; ++i) {
        // The head of the chase is opaque; still dots are evenly faint.
        const int age = (step_ - i + dotCount) % dotCount;
        QColor shade = color_;
        shade.setAlphaF(isAnimating() ? 1.0F - 0.07F * static_cast<float>(age) : 0.35F);
        painter.setBrush(shade);
        const double angle = 2.0 * std::numbers::pi * i / dotCount;
        const QPointF at = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        painter.drawEllipse(at, dot / 2.0, dot / 2.0);
    }
}

}  // namespace twl
