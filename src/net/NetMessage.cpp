#include "net/NetMessage.h"

#include <algorithm>
#include <vector>

namespace korvel {
namespace {

// The code point of the UTF-8 sequence at `at`, moving `at` past it; -1 for a
// malformed sequence (cut short, overlong, a surrogate, past U+10FFFF, a stray
// continuation byte), `at` then moving one byte on.
std::int32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    int length = 0;
    std::int32_t value = 0;
    std::int32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 1, value = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 2, value = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 3, value = lead & 0x07, lowest = 0x10000;
    } else {
        return -1;
    }
    std::size_t next = at;
    for (int i = 0; i < length; ++i, ++next) {
        if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) {
            return -1;
        }
        value = (value << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return -1;
    }
    at = next;
    return value;
}

bool IsControl(std::int32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

std::vector<std::string_view> SplitFields(std::string_view line, std::size_t most) {
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < most) {
        const auto space = line.find(' ');
        if (space == std::string_view::npos) {
            break;
        }
        fields.push_back(line.substr(0, space));
        line.remove_prefix(space + 1);
    }
    fields.push_back(line);
    return fields;
}

// A decimal number without sign or leading zero, at most six digits.
DecodeError ReadNumber(std::string_view field, int lowest, int highest, int& value) {
    if (field.empty() || (field.size() > 1 && field[0] == '0') ||
        !std::ranges::all_of(field, [](char c) { return c >= '0' && c <= '9'; })) {
        return DecodeError::NotANumber;
    }
    if (field.size() > 6) {
        return DecodeError::OutOfRange;
    }
    int read = 0;
    for (const char c : field) {
        read = read * 10 + (c - '0');
    }
    if (read < lowest || read > highest) {
        return DecodeError::OutOfRange;
    }
    value = read;
    return DecodeError::None;
}

DecodeError ReadCode(std::string_view field, std::string& code) {
    if (!std::ranges::all_of(field, [](char c) { return c >= '0' && c <= '9'; })) {
        return DecodeError::NotANumber;
    }
    if (field.size() != 4) {
        return DecodeError::OutOfRange;
    }
    code = field;
    return DecodeError::None;
}

bool IsVersionText(std::string_view text) {
    return !text.empty() && text.size() <= kMaxNetProgramVersionChars &&
           std::ranges::all_of(text, [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                      c == '.' || c == '_' || c == '+' || c == '-';
           });
}

DecodeError ReadPosition(std::string_view cells, std::string_view first, NetStartPosition& start) {
    int firstPlayer = 0;
    if (const auto error = ReadNumber(first, 1, 2, firstPlayer); error != DecodeError::None) {
        return error;
    }
    if (cells.size() != start.cells.size() ||
        !std::ranges::all_of(cells, [](char c) { return c >= '0' && c <= '2'; })) {
        return DecodeError::BadPosition;
    }
    // A position without a disc of one player or without an empty cell is a
    // game already over: no game could be played from it.
    for (const char needed : {'0', '1', '2'}) {
        if (cells.find(needed) == std::string_view::npos) {
            return DecodeError::BadPosition;
        }
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        start.cells[i] = static_cast<std::uint8_t>(cells[i] - '0');
    }
    start.firstPlayer = firstPlayer;
    return DecodeError::None;
}

DecodeError DecodeHello(std::string_view rest, NetMessage& message) {
    const auto fields = SplitFields(rest, 4);
    HelloMessage hello;
    if (const auto error = ReadNumber(fields[0], 1, 999999, hello.protocolVersion);
        error != DecodeError::None) {
        return error;
    }
    if (hello.protocolVersion != kNetProtocolVersion) {
        message = hello;  // another protocol: what follows is its own affair
        return DecodeError::None;
    }
    if (fields.size() != 4) {
        return DecodeError::FieldCount;
    }
    if (!IsVersionText(fields[1])) {
        return DecodeError::BadVersionText;
    }
    if (const auto error = ReadCode(fields[2], hello.code); error != DecodeError::None) {
        return error;
    }
    if (const auto error = CheckPlayerName(fields[3]); error != DecodeError::None) {
        return error;
    }
    hello.programVersion = fields[1];
    hello.name = fields[3];
    message = std::move(hello);
    return DecodeError::None;
}

DecodeError DecodeSetup(const std::vector<std::string_view>& fields, NetMessage& message) {
    if (fields.size() != 2 && fields.size() != 4) {
        return DecodeError::FieldCount;
    }
    SetupMessage setup;
    if (const auto error = ReadNumber(fields[0], 1, 4, setup.gameType);
        error != DecodeError::None) {
        return error;
    }
    const bool timed = setup.gameType == 2 || setup.gameType == 4;
    if (const auto error = ReadNumber(fields[1], timed ? 1 : 0, timed ? kMaxNetSecondsPerMove : 0,
                                      setup.secondsPerMove);
        error != DecodeError::None) {
        return error;
    }
    if (fields.size() == 4) {
        setup.start.emplace();
        if (const auto error = ReadPosition(fields[2], fields[3], *setup.start);
            error != DecodeError::None) {
            return error;
        }
    }
    message = std::move(setup);
    return DecodeError::None;
}

}  // namespace

DecodeError CheckPlayerName(std::string_view name) {
    if (name.empty() || name.front() == ' ' || name.back() == ' ') {
        return DecodeError::BadName;
    }
    std::size_t chars = 0;
    for (std::size_t at = 0; at < name.size(); ++chars) {
        const auto c = NextCodePoint(name, at);
        if (c < 0 || IsControl(c)) {
            return DecodeError::BadName;
        }
    }
    return chars > kMaxNetNameChars ? DecodeError::NameTooLong : DecodeError::None;
}

std::string MakePlayerName(std::string_view typed) {
    std::string name;
    std::size_t chars = 0;
    for (std::size_t at = 0; at < typed.size() && chars < kMaxNetNameChars;) {
        const std::size_t from = at;
        const auto c = NextCodePoint(typed, at);
        if (c < 0) {
            continue;
        }
        if ((IsControl(c) || c == ' ') && (name.empty() || name.back() == ' ')) {
            continue;  // no space at the start, none twice
        }
        name += IsControl(c) ? std::string_view(" ") : typed.substr(from, at - from);
        ++chars;
    }
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name.empty() ? "Игрок" : name;
}

std::string EncodeMessage(const NetMessage& message) {
    struct Writer {
        std::string operator()(const HelloMessage& m) const {
            const std::string version = "hello " + std::to_string(m.protocolVersion);
            if (m.protocolVersion != kNetProtocolVersion) {
                return version;  // the fields of another version are not known here
            }
            return version + " " + m.programVersion + " " + m.code + " " + m.name;
        }
        std::string operator()(const SetupMessage& m) const {
            std::string line =
                "setup " + std::to_string(m.gameType) + " " + std::to_string(m.secondsPerMove);
            if (m.start) {
                line += ' ';
                for (const auto cell : m.start->cells) {
                    line += static_cast<char>('0' + cell);
                }
                line += " " + std::to_string(m.start->firstPlayer);
            }
            return line;
        }
        std::string operator()(const MoveMessage& m) const {
            return "move " + std::to_string(m.turn) + " " + std::to_string(m.col) + " " +
                   std::to_string(m.row);
        }
        std::string operator()(const PassMessage& m) const {
            return "pass " + std::to_string(m.turn);
        }
        std::string operator()(const TimeOutMessage& m) const {
            return "timeout " + std::to_string(m.turn);
        }
        std::string operator()(const QuitMessage&) const { return "quit"; }
        std::string operator()(const StageMessage& m) const {
            return "stage " + std::to_string(m.stage);
        }
        std::string operator()(const PingMessage&) const { return "ping"; }
        std::string operator()(const ByeMessage& m) const {
            return "bye " + std::to_string(static_cast<int>(m.reason));
        }
    };
    return std::visit(Writer{}, message) + "\n";
}

DecodeError DecodeMessage(std::string_view line, NetMessage& message) {
    const auto space = line.find(' ');
    const std::string_view kind = line.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    const bool hasFields = space != std::string_view::npos;
    if (kind == "hello") {
        return hasFields ? DecodeHello(rest, message) : DecodeError::FieldCount;
    }
    const std::vector<std::string_view> fields =
        hasFields ? SplitFields(rest, 5) : std::vector<std::string_view>{};
    const auto fieldless = [&](NetMessage read) {
        if (!fields.empty()) {
            return DecodeError::FieldCount;
        }
        message = read;
        return DecodeError::None;
    };
    if (kind == "setup") {
        return DecodeSetup(fields, message);
    }
    // Each kind of numbers: its fields' highest values (the lowest is 1).
    const std::vector<int> highest = kind == "move"      ? std::vector<int>{kMaxNetTurn, 8, 8}
                                     : kind == "pass"    ? std::vector<int>{kMaxNetTurn}
                                     : kind == "timeout" ? std::vector<int>{kMaxNetTurn}
                                     : kind == "stage"   ? std::vector<int>{kMaxNetStage}
                                     : kind == "bye"     ? std::vector<int>{kMaxByeCode}
                                                         : std::vector<int>{};
    if (!highest.empty()) {
        if (fields.size() != highest.size()) {
            return DecodeError::FieldCount;
        }
        std::array<int, 3> n{};
        for (std::size_t i = 0; i < highest.size(); ++i) {
            if (const auto error = ReadNumber(fields[i], 1, highest[i], n[i]);
                error != DecodeError::None) {
                return error;
            }
        }
        message = kind == "move"      ? NetMessage(MoveMessage{n[0], n[1], n[2]})
                  : kind == "pass"    ? NetMessage(PassMessage{n[0]})
                  : kind == "timeout" ? NetMessage(TimeOutMessage{n[0]})
                  : kind == "stage"   ? NetMessage(StageMessage{n[0]})
                                      : NetMessage(ByeMessage{static_cast<ByeReason>(n[0])});
        return DecodeError::None;
    }
    if (kind == "quit") {
        return fieldless(QuitMessage{});
    }
    if (kind == "ping") {
        return fieldless(PingMessage{});
    }
    return DecodeError::UnknownKind;
}

const char* DecodeErrorName(DecodeError error) {
    switch (error) {
        case DecodeError::None:
            return "none";
        case DecodeError::UnknownKind:
            return "unknown-kind";
        case DecodeError::FieldCount:
            return "field-count";
        case DecodeError::NotANumber:
            return "not-a-number";
        case DecodeError::OutOfRange:
            return "out-of-range";
        case DecodeError::BadName:
            return "bad-name";
        case DecodeError::NameTooLong:
            return "name-too-long";
        case DecodeError::BadVersionText:
            return "bad-version-text";
        case DecodeError::BadPosition:
            return "bad-position";
    }
    return "?";
}

}  // namespace korvel
