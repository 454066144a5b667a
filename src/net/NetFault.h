#pragma once

#include <string_view>

namespace korvel {

// Why a network game's connection ended other than by the players' will.
enum class NetFault {
    WrongCode,         // the guest's code is not the host's
    VersionMismatch,   // the two Korvels speak different protocol versions
    MalformedMessage,  // the peer sent a line that is no message, or one out of order
    LineTooLong,       // the peer sent a line over the limit
    Flood,             // the peer sent too many messages a second
    IllegalMove,       // the peer's move breaks the rules (found by the game)
    PeerQuit,          // the peer left the game (bye, reason "leaving")
    PeerFoundFault,    // the peer ended the connection over a fault it found in ours
    Disconnected,      // the connection broke
    SilentPeer,        // nothing heard from the peer for too long
    Busy,              // the host is already playing with someone
    Unreachable,       // the guest's connection: no route to the address, or no such host
    Refused,           // the guest's connection: nobody accepts connections on that port
    TimedOut,          // no connection, or no answer to hello, in time
    TooManyTries,      // the host refuses codes from this address for a while
    OutOfTurn,         // the peer's move, pass or stage is not the one due now
    EarlyTimeOut,      // the peer said its time ran out while it had time left
};

// The recorded phrase (Speaks/<name>.mp3) said for a fault.
std::string_view NetFaultPhrase(NetFault fault);

// The text shown for a fault.
std::string_view NetFaultText(NetFault fault);

// A short English name for logs and tests ("wrong-code").
std::string_view NetFaultName(NetFault fault);

}  // namespace korvel
