#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <cstdint>

class QListWidget;
class QPushButton;

namespace korvel {

class DialogHost;

// The report window frmOtchet: the list Lotchet of text lines under a caption
// and the button Cotchet that closes it (also Escape, Alt+З on its physical
// key under either layout, and the window manager). It has no speech of its
// own and exists only during a tiv call; its owner stays enabled.
class ReportWindow : public QWidget {
  public:
    ReportWindow();

    QListWidget* Lotchet() const { return m_list; }
    QPushButton* Cotchet() const { return m_button; }
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

// Shows the items of `TivMass` in order under the caption `Motchet` (any
// value, shown as text) and returns the close flag, -1, once the window has
// been closed.
std::int16_t tiv(DialogHost& host, const QVariant& Motchet, const QStringList& TivMass);

}  // namespace korvel
