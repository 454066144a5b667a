#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace korvel {

class DialogHost;
class SpeechLayer;

// The help window (frmHelp): a text box with a long text, read aloud line by
// line through the speech layer, and the button that closes it. It exists
// only while shown by OpenHelp; the speech layer (with its engine
// and settings) is borrowed from the program's assembly.
//
// CurrentLine is the window's own reading position, not the text box's caret;
// the box shows the line being read. Keys with Shift or Alt move nothing.
class HelpWindow : public QWidget {
  public:
    explicit HelpWindow(SpeechLayer& speech);

    QPlainTextEdit* textBox() const { return m_text; }
    QPushButton* closeButton() const { return m_button; }

    void setHelpText(const QString& text);
    // Finds a Russian voice of the bound speech layer, a preferred one first.
    void chooseVoice();
    // The window became active: the caption, then line 0 spoken as it stands.
    void Activated();
    // A key pressed in the text box (its physical key): moves the reading
    // position, says the line, sets the reading speed or closes the window.
    void readingKey(int key, Qt::KeyboardModifiers modifiers);

    bool isOpen() const { return m_open; }
    void setOpen(bool open) { m_open = open; }
    bool SpeechOn() const { return m_speechOn; }
    int CurrentLine() const { return m_currentLine; }
    int LastLine() const { return static_cast<int>(m_lines.size()) - 1; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void showCurrentLine();
    void speakCurrentLine();

    SpeechLayer& m_speech;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_button = nullptr;
    QString m_helpText;
    QStringList m_lines;
    int m_currentLine = 0;
    bool m_speechOn = false;
    bool m_open = false;
    bool m_deactivated = false;
};

// Shows `text` under `caption` in the help window over the active window,
// which stays disabled until the player closes it (its button, Enter, Escape
// in the text, or the window manager), and returns at once; `closed` runs when
// the player closes it.
void OpenHelp(DialogHost& host, SpeechLayer& speech, const QString& text, const QString& caption,
              std::function<void()> closed);

}  // namespace korvel
