#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <unordered_map>

#include "ui/fade_timeline.h"

namespace twl {

class RunLoop;

// Presents a view over another one by fading it in, and dismisses it by fading
// it out: the presented view becomes a child of the presenting one, 40 points
// inside it on every side, on a grey background, and fades to 0.8 in half a
// second; on dismissal it fades to 0 in half a second and is then taken out of
// the presenting view (hidden, without a parent). The caller keeps owning the
// presented view, as before the presentation; while it is presented the
// presenting view's Qt parenthood applies to it as well.
//
// Frames come from the run loop, which must outlive the animator. The animator
// forgets a view when the view is destroyed, and a view destroyed mid-fade is
// simply no longer touched.
class MyCustomFadeAnimator : public QObject {
    Q_OBJECT

  public:
    explicit MyCustomFadeAnimator(RunLoop& runLoop, QObject* parent = nullptr);
    ~MyCustomFadeAnimator() override;

    void animatePresentation(QWidget& presented, QWidget& presenting);
    void animateDismissal(QWidget& presented);

    // The fade of a view this animator has handled, or nullptr.
    const FadeTimeline* timelineFor(const QWidget* presented) const;

  private:
    FadeTimeline& timelineOf(QWidget& presented);

    RunLoop& runLoop_;
    std::unordered_map<const QWidget*, std::unique_ptr<FadeTimeline>> timelines_;
};

}  // namespace twl
