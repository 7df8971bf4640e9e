#include "platform/qt/qt_alert_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "platform/qt/qt_conversions.h"

namespace twl {
namespace {

QMessageBox::Icon iconFor(AlertStyle style) {
    switch (style) {
        case AlertStyle::informational:
            return QMessageBox::Information;
        case AlertStyle::critical:
            return QMessageBox::Critical;
        case AlertStyle::warning:
            break;
    }
    return QMessageBox::Warning;
}

}  // namespace

QtAlertPresenter::QtAlertPresenter(std::function<QWidget*()> parent) : parent_(std::move(parent)) {}

int QtAlertPresenter::runModal(const Alert& alert) {
    QWidget* parent = parent_ ? parent_() : QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setIcon(iconFor(alert.alertStyle));
    box.setText(toQString(alert.messageText));
    box.setInformativeText(toQString(alert.informativeText));
    box.setTextFormat(Qt::PlainText);

    std::vector<std::string> titles = alert.buttonTitles;
    if (titles.empty()) {
        titles.emplace_back("OK");
    }
    std::vector<QPushButton*> buttons;
    buttons.reserve(titles.size());
    for (const auto& title : titles) {
        buttons.push_back(box.addButton(toQString(title), QMessageBox::AcceptRole));
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.size() == 1 ? buttons.front() : nullptr);
    box.exec();

    const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    const auto index = pressed == buttons.end() ? 0 : pressed - buttons.begin();
    return static_cast<int>(index);
}

}  // namespace twl
