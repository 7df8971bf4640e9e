#include "platform/qt/qt_image_view.h"

#include <QLabel>
#include <QPixmap>

#include "platform/qt/qt_conversions.h"
#include "platform/qt/view_properties.h"

namespace twl {

QtImageView::QtImageView(QLabel* label) : QtViewBase(label) {}

void QtImageView::setImage(const std::string& imageName) {
    auto* label = qobject_cast<QLabel*>(widget_.data());
    if (label == nullptr) {
        return;
    }
    label->setProperty(view_property::imageName, toQString(imageName));
    const QPixmap image(QStringLiteral(":/images/%1.png").arg(toQString(imageName)));
    if (image.isNull()) {
        label->clear();
    } else {
        label->setPixmap(image);
    }
}

std::string QtImageView::imageName() const {
    if (!widget_) {
        return {};
    }
    return fromQString(widget_->property(view_property::imageName).toString());
}

}  // namespace twl
