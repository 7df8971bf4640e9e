#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QWidget>

namespace twl {

// A ring of dots that chase each other while animating; still when not.
// Showing and hiding it is separate from animating it.
class BusySpinner : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool animating READ isAnimating WRITE setAnimating)

  public:
    explicit BusySpinner(QWidget* parent = nullptr);

    void setAnimating(bool animating);
    bool isAnimating() const { return timer_.isActive(); }

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    QSize sizeHint() const override { return {24, 24}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    QBasicTimer timer_;
    int step_ = 0;
    QColor color_{38, 123, 162};
};

}  // namespace twl
