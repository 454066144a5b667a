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

void Assembly::HandleReadMeStep(ReadMeState state) {
    if (state == ReadMeState::Current) {
        return;
    }
    const QString rules = RulesToRead();
    if (state == ReadMeState::FirstRun) {
        ShowHelp(m_dialogs, m_speech, rules,
                 QStringLiteral("Первый запуск КОРВЕЛ! Почитайте господа!"));
    } else {
        m_mm->AddFile("message");
        m_mm->AddFile("readme");
        const std::int16_t answer = ShowMessage(
            m_dialogs, QStringLiteral("Файл: ReadMe.txt был обновлён.\r\nХотите его прочесть?"),
            QStringLiteral("Сообщение"), 35, m_mm.get());
        if (answer != 1) {
            return;
        }
        ShowHelp(m_dialogs, m_speech, rules, QStringLiteral("Обновление!"));
    }
    m_mm->Clear();
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
