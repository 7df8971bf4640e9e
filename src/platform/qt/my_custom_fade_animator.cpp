#include "platform/qt/my_custom_fade_animator.h"

#include <QColor>
#include <QGraphicsOpacityEffect>
#include <QPalette>

namespace twl {

namespace {

// The view's opacity effect, made on first use (the view owns it).
QGraphicsOpacityEffect& opacityEffectOf(QWidget& view) {
    if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(view.graphicsEffect())) {
        return *effect;
    }
    auto* effect = new QGraphicsOpacityEffect(&view);
    view.setGraphicsEffect(effect);
    return *effect;
}

void paintBackground(QWidget& view, const Color& color) {
    QPalette palette = view.palette();
    palette.setColor(
        QPalette::Window,
        QColor::fromRgbF(static_cast<float>(color.red), static_cast<float>(color.green),
                         static_cast<float>(color.blue), static_cast<float>(color.alpha)));
    view.setPalette(palette);
    view.setAutoFillBackground(true);
}

QRect presentedGeometry(const QWidget& presenting) {
    // The presented view lives in the presenting view's own coordinates, so
    // its frame is taken there: 40 inside every edge of what is on screen.
    const QRect frame = presenting.rect();
    const Rect inset = FadeTimeline::presentedFrame(
        Rect{double(frame.x()), double(frame.y()), double(frame.width()), double(frame.height())});
    return QRectF(inset.x, inset.y, inset.width, inset.height).toRect();
}

}  // namespace

MyCustomFadeAnimator::MyCustomFadeAnimator(RunLoop& runLoop, QObject* parent)
    : QObject(parent), runLoop_(runLoop) {}

MyCustomFadeAnimator::~MyCustomFadeAnimator() = default;

void MyCustomFadeAnimator::animatePresentation(QWidget& presented, QWidget& presenting) {
    FadeTimeline& timeline = timelineOf(presented);
    opacityEffectOf(presented).setOpacity(0.0);
    presented.setParent(&presenting);
    presented.setGeometry(presentedGeometry(presenting));
    paintBackground(presented, FadeTimeline::kBackground);
    presented.raise();
    presented.show();
    timeline.present();
}

void MyCustomFadeAnimator::animateDismissal(QWidget& presented) {
    FadeTimeline& timeline = timelineOf(presented);
    opacityEffectOf(presented);
    timeline.dismiss();
}

const FadeTimeline* MyCustomFadeAnimator::timelineFor(const QWidget* presented) const {
    const auto found = timelines_.find(presented);
    return found == timelines_.end() ? nullptr : found->second.get();
}

FadeTimeline& MyCustomFadeAnimator::timelineOf(QWidget& presented) {
    auto& slot = timelines_[&presented];
    if (slot) {
        return *slot;
    }
    QPointer<QWidget> view(&presented);
    slot = std::make_unique<FadeTimeline>(
        runLoop_,
        [view](double alpha) {
            if (view) {
                opacityEffectOf(*view).setOpacity(alpha);
            }
        },
        [view] {
            if (view) {
                view->hide();
                view->setParent(nullptr);
            }
        });
    const QWidget* key = &presented;
    connect(&presented, &QObject::destroyed, this, [this, key] { timelines_.erase(key); });
    return *slot;
}

}  // namespace twl
