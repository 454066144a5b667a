#pragma once

#include <QWidget>
#include <functional>

namespace korvel {

// The main window, fMain: a plain blue window whose inner area is 1018 x 725,
// captioned with the version title. It holds the menu and the board (one of
// them visible at a time) and runs the shutdown when it is asked to close.
class MainWindow : public QWidget {
  public:
    static constexpr int kInnerWidth = 1018;
    static constexpr int kInnerHeight = 725;

    MainWindow();

    // Runs instead of the ordinary close: the farewell and the clean-up. The
    // window closes once it returns.
    void setCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> m_closeHandler;
    bool m_closing = false;
};

}  // namespace korvel
