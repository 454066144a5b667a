// The read-me step of start-up: the rules text shown on a first run, offered
// on a new version.
#include <QCoreApplication>

#include "app/Assembly.h"
#include "core/CommonRoutines.h"
#include "core/TextCodec.h"
#include "core/Texts.h"
#include "ui/HelpWindow.h"
#include "ui/MessageDialog.h"

namespace korvel {

void Assembly::HandleReadMeStep(ReadMeState state, std::function<void()> then) {
    if (state == ReadMeState::Current) {
        then();
        return;
    }
    // The announcer's queue is emptied once the help window has closed.
    auto read = [this, then](const QString& caption) {
        OpenHelp(m_dialogs, m_speech, RulesToRead(), caption, [this, then] {
            m_announcer->Clear();
            then();
        });
    };
    if (state == ReadMeState::FirstRun) {
        read(QStringLiteral("Первый запуск КОРВЕЛ! Почитайте господа!"));
        return;
    }
    m_announcer->AddFile("message");
    m_announcer->AddFile("readme");
    OpenMessage(m_dialogs, QStringLiteral("Файл: ReadMe.txt был обновлён.\r\nХотите его прочесть?"),
                QStringLiteral("Сообщение"), 35, m_announcer.get(), [read, then](int answer) {
                    if (answer != 1) {
                        then();
                        return;
                    }
                    read(QStringLiteral("Обновление!"));
                });
}

QString Assembly::RulesToRead() const {
    const std::string file = Cp1251ToUtf8(ReadReadMe(m_services.folders.user));
    if (!file.empty()) {
        return QString::fromStdString(file);
    }
    const std::string executable = QCoreApplication::applicationFilePath().toStdString();
    return QString::fromStdString(RulesText(FileDateText(executable)));
}

}  // namespace korvel
