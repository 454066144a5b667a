#include "net/NetFault.h"

#include <array>

namespace korvel {
namespace {

struct FaultWords {
    std::string_view name;
    std::string_view phrase;
    std::string_view text;
};

// In the order of NetFault.
constexpr std::array<FaultWords, 17> kFaults = {{
    {"wrong-code", "wrongcode", "Неверный код игры. Спросите код у того, кто создал игру."},
    {"version-mismatch", "netversion",
     "У соперника другая версия программы. Для игры по сети нужны одинаковые версии."},
    {"malformed-message", "garbled", "Соперник прислал непонятное сообщение. Игра прервана."},
    {"line-too-long", "toolong", "Соперник прислал слишком длинное сообщение. Игра прервана."},
    {"flood", "flood", "Соперник присылает слишком много сообщений. Игра прервана."},
    {"illegal-move", "badmove", "Соперник сделал невозможный ход. Игра прервана."},
    {"peer-quit", "peerquit", "Соперник вышел из игры."},
    {"peer-found-fault", "peerfault", "Соперник прервал связь из-за ошибки в обмене сообщениями."},
    {"disconnected", "netlost", "Связь с соперником прервана."},
    {"silent-peer", "peersilent", "Соперник не отвечает. Связь прервана."},
    {"busy", "busy", "Создатель игры уже играет с другим игроком."},
    {"unreachable", "unreachable", "Адрес недоступен. Проверьте адрес и подключение к сети."},
    {"refused", "refused", "Соединение отклонено: по этому адресу и порту игру никто не создал."},
    {"timed-out", "nettimeout", "Время ожидания истекло: другая сторона не ответила."},
    {"too-many-tries", "nettries",
     "Слишком много попыток с неверным кодом с этого адреса. Подождите и попробуйте позже."},
    {"out-of-turn", "outofturn", "Соперник прислал ход не в свою очередь. Игра прервана."},
    {"early-time-out", "earlytimeout",
     "Соперник объявил, что его время вышло, когда время ещё оставалось. Игра прервана."},
}};

const FaultWords& Words(NetFault fault) {
    return kFaults[static_cast<std::size_t>(fault)];
}

}  // namespace

std::string_view NetFaultPhrase(NetFault fault) {
    return Words(fault).phrase;
}

std::string_view NetFaultText(NetFault fault) {
    return Words(fault).text;
}

std::string_view NetFaultName(NetFault fault) {
    return Words(fault).name;
}

}  // namespace korvel
