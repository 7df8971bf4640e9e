#include "platform/qt/qt_outlet_binder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_box.h"
#include "platform/qt/qt_busy_indicator.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_conversions.h"
#include "platform/qt/qt_image_view.h"
#include "platform/qt/qt_text_field.h"
#include "platform/qt/qt_view.h"

namespace twl {

QtOutletBinder::QtOutletBinder(QWidget& root, std::string layoutName)
    : root_(root), layoutName_(std::move(layoutName)) {}

QWidget* QtOutletBinder::find(std::string_view name) {
    const QString objectName = toQString(name);
    if (root_.objectName() == objectName) {
        return &root_;
    }
    QWidget* found = root_.findChild<QWidget*>(objectName);
    if (found == nullptr) {
        problem(name, "is not in the layout");
    }
    return found;
}

void QtOutletBinder::problem(std::string_view name, const std::string& what) {
    problems_.push_back("'" + std::string(name) + "' " + what);
}

template <typename Facade>
void QtOutletBinder::keep(std::weak_ptr<Facade>& slot, std::shared_ptr<Facade> made) {
    slot = made;
    made_.push_back(std::move(made));
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<View>& slot) {
    if (QWidget* widget = find(name)) {
        keep<View>(slot, std::make_shared<QtView>(widget));
    }
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<TextField>& slot) {
    QWidget* widget = find(name);
    if (widget == nullptr) {
        return;
    }
    if (qobject_cast<QLineEdit*>(widget) == nullptr && qobject_cast<QLabel*>(widget) == nullptr) {
        problem(name, "is not a line edit or label, so it cannot be a text field");
        return;
    }
    keep<TextField>(slot, std::make_shared<QtTextField>(widget));
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<Button>& slot) {
    QWidget* widget = find(name);
    if (widget == nullptr) {
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button == nullptr) {
        problem(name, "is not a button");
        return;
    }
    keep<Button>(slot, std::make_shared<QtButton>(button));
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<ImageView>& slot) {
    QWidget* widget = find(name);
    if (widget == nullptr) {
        return;
    }
    auto* label = qobject_cast<QLabel*>(widget);
    if (label == nullptr) {
        problem(name, "is not a label, so it cannot show images");
        return;
    }
    keep<ImageView>(slot, std::make_shared<QtImageView>(label));
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<Box>& slot) {
    if (QWidget* widget = find(name)) {
        keep<Box>(slot, std::make_shared<QtBox>(widget));
    }
}

void QtOutletBinder::outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) {
    QWidget* widget = find(name);
    if (widget == nullptr) {
        return;
    }
    auto* spinner = qobject_cast<BusySpinner*>(widget);
    if (spinner == nullptr) {
        problem(name, "is not a busy spinner");
        return;
    }
    keep<BusyIndicator>(slot, std::make_shared<QtBusyIndicator>(spinner));
}

void QtOutletBinder::action(std::string_view controlName, Action action) {
    QWidget* widget = find(controlName);
    if (widget == nullptr) {
        return;
    }
    // The connection belongs to the widget, which the screen owns: the action
    // can only run while the screen is alive.
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable()) {
        // Each change of state is the user's, however it came (pointer, keys,
        // assistive technology), so the screen's choice follows the state
        // that is shown and heard.
        QObject::connect(button, &QAbstractButton::toggled, button,
                         [action = std::move(action)] { action(); });
    } else if (button) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [action = std::move(action)] { action(); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QObject::connect(edit, &QLineEdit::returnPressed, edit,
                         [action = std::move(action)] { action(); });
    } else {
        problem(controlName, "cannot send actions (not a button or line edit)");
    }
}

std::vector<std::shared_ptr<View>> QtOutletBinder::finish() {
    if (!problems_.empty()) {
        std::string message = "layout " + layoutName_ + " does not fit its screen:";
        for (const auto& each : problems_) {
            message += "\n  " + each;
        }
        throw std::logic_error(message);
    }
    return std::move(made_);
}

}  // namespace twl
