#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace korvel {

// The messages two Korvels exchange in a network game: one line of UTF-8 text
// each, the kind and its fields separated by single spaces, ending in "\n".
// docs/network.md describes every message, its fields and their order.

// The protocol spoken here. A hello of another version is still read (its
// version field only), so that the host can answer it with "bye 4".
inline constexpr int kNetProtocolVersion = 2;
// The longest line read, without its "\n".
inline constexpr std::size_t kMaxNetLineBytes = 1024;
// A player's name: 1..32 characters (code points).
inline constexpr std::size_t kMaxNetNameChars = 32;
// The program version sent in hello: 1..16 of 0-9 A-Z a-z . _ + -
inline constexpr std::size_t kMaxNetProgramVersionChars = 16;
// Seconds per move of the timed game types.
inline constexpr int kMaxNetSecondsPerMove = 3600;
// The stages of a staged match.
inline constexpr int kMaxNetStage = 9;
// The turn numbers a move, a pass or a time-out carries: 1 for the first turn
// of a game, one more with each move, pass and time-out of either player.
inline constexpr int kMaxNetTurn = 999999;

// Why the sender of a bye ends the connection. A bye carries any code
// 1..99; codes this version does not know are read as they come.
enum class ByeReason : int {
    Leaving = 1,      // the player left (menu, closing the program)
    Busy = 2,         // the host is already playing with someone
    WrongCode = 3,    // the guest's code is not the host's
    Version = 4,      // another protocol version
    Malformed = 5,    // a line that is no message, or out of order
    LineTooLong = 6,  // a line over kMaxNetLineBytes
    Flood = 7,        // too many messages a second
    IllegalMove = 8,  // a move the rules do not allow
    Silent = 9,       // nothing heard for too long
    TryLater = 10,    // too many wrong codes from the guest's address: wait before trying
};
inline constexpr int kMaxByeCode = 99;

// A start position: the 64 cells column-fastest (index (col - 1) + (row - 1) * 8,
// as the board keeps them), 0 empty, 1 white, 2 black; and who moves first.
// A position sent has discs of both players and an empty cell.
struct NetStartPosition {
    std::array<std::uint8_t, 64> cells{};
    int firstPlayer = 1;
    bool operator==(const NetStartPosition&) const = default;
};

struct HelloMessage {
    int protocolVersion = kNetProtocolVersion;
    // Empty in a hello of another protocol version, whose fields are not read.
    std::string programVersion;
    std::string code;  // four digits
    std::string name;
    bool operator==(const HelloMessage&) const = default;
};

// The game the host has chosen. Types 1 and 3 are untimed (seconds 0), types
// 2 and 4 timed (1..kMaxNetSecondsPerMove seconds a move).
struct SetupMessage {
    int gameType = 1;
    int secondsPerMove = 0;
    std::optional<NetStartPosition> start;
    bool operator==(const SetupMessage&) const = default;
};

struct MoveMessage {
    int turn = 1;  // 1..kMaxNetTurn
    int col = 1;   // 1..8, a..h
    int row = 1;   // 1..8
    bool operator==(const MoveMessage&) const = default;
};

struct PassMessage {
    int turn = 1;
    bool operator==(const PassMessage&) const = default;
};
struct TimeOutMessage {
    int turn = 1;
    bool operator==(const TimeOutMessage&) const = default;
};
struct QuitMessage {
    bool operator==(const QuitMessage&) const = default;
};
struct StageMessage {
    int stage = 1;  // 1..kMaxNetStage
    bool operator==(const StageMessage&) const = default;
};
struct PingMessage {
    bool operator==(const PingMessage&) const = default;
};
struct ByeMessage {
    ByeReason reason = ByeReason::Leaving;
    bool operator==(const ByeMessage&) const = default;
};

using NetMessage = std::variant<HelloMessage, SetupMessage, MoveMessage, PassMessage,
                                TimeOutMessage, QuitMessage, StageMessage, PingMessage, ByeMessage>;

// What is wrong with a line that does not decode.
enum class DecodeError {
    None,
    UnknownKind,     // the first word names no message (an empty line too)
    FieldCount,      // too few or too many fields for its kind
    NotANumber,      // a number field with anything but digits, or a leading zero
    OutOfRange,      // a number outside its range, a code not of four digits
    BadName,         // the name: empty, bad UTF-8, a control character, a space at an end
    NameTooLong,     // the name: more than kMaxNetNameChars characters
    BadVersionText,  // the program version: empty, too long or a character not allowed
    BadPosition,     // the start position: not 64 of 0/1/2, or a game already over
};

// The line of a message, "\n" included. The fields must be in their ranges
// (as DecodeMessage would accept them); NetSession checks what it sends.
std::string EncodeMessage(const NetMessage& message);

// Reads one line (without its "\n"). On success fills `message` and returns
// DecodeError::None; otherwise leaves `message` as it was. Any bytes at all
// are safe to pass.
DecodeError DecodeMessage(std::string_view line, NetMessage& message);

// True when `name` is a name a hello may carry (DecodeError::None for it).
DecodeError CheckPlayerName(std::string_view name);

// A name a hello may carry made from what the player typed: bytes that are
// not UTF-8 dropped, control characters turned into spaces, spaces trimmed
// at both ends, cut to kMaxNetNameChars characters; "Игрок" when nothing is left.
std::string MakePlayerName(std::string_view typed);

const char* DecodeErrorName(DecodeError error);

}  // namespace korvel
