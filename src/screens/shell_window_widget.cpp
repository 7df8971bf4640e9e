#include "screens/shell_window_widget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

namespace twl {

ShellWindowWidget::ShellWindowWidget(QWidget* parent) : QMainWindow(parent) {}

void ShellWindowWidget::closeEvent(QCloseEvent* event) {
    if (onClose) {
        onClose(event);
    } else {
        QMainWindow::closeEvent(event);
    }
}

void ShellWindowWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && onEscape) {
        onEscape();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void ShellWindowWidget::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window system's own showings (un-minimising) do not count.
    if (!event->spontaneous() && onShown) {
        onShown();
    }
}

}  // namespace twl
