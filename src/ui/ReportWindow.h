#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <functional>

class QListWidget;
class QPushButton;

namespace korvel {

class DialogHost;

// The report window (frmOtchet): a list of text lines under a caption and the
// button that closes it (also Escape, Alt+З on its physical key under either
// layout, and the window manager). It has no speech of its own and exists
// only while OpenReport shows it; its owner stays enabled.
class ReportWindow : public QWidget {
  public:
    ReportWindow();

    QListWidget* list() const { return m_list; }
    QPushButton* closeButton() const { return m_button; }
    // 0 while open, -1 once closed.
    std::int16_t closeFlag() const { return m_closeFlag; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QListWidget* m_list = nullptr;
    QPushButton* m_button = nullptr;
    std::int16_t m_closeFlag = 0;
};

// Shows `lines` in order under `caption` (any value, shown as text) and
// returns at once; `closed` runs once the window has been closed.
void OpenReport(DialogHost& host, const QVariant& caption, const QStringList& lines,
                std::function<void()> closed);

}  // namespace korvel
