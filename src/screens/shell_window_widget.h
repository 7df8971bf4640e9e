#pragma once

#include <QMainWindow>
#include <functional>

namespace twl {

// The widget of a ScreenWindow: a main window that hands its close requests, Esc
// presses and (programmatic) showings to its owner.
class ShellWindowWidget final : public QMainWindow {
    Q_OBJECT

  public:
    explicit ShellWindowWidget(QWidget* parent = nullptr);

    std::function<void(QCloseEvent*)> onClose;
    std::function<void()> onEscape;
    std::function<void()> onShown;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

}  // namespace twl
