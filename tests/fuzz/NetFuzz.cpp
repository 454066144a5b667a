// The network game's reader and decoder, and a session fed the same bytes:
// whatever comes over the connection, in whatever pieces,
// - the reader gives lines without "\n" of at most kMaxNetLineBytes and keeps
//   no more than one unfinished line;
// - a line that decodes encodes back to itself (a hello of another protocol
//   version to its version alone), and that encoding decodes to the same message;
// - the session reports nothing after its end, sends nothing once its link is
//   closed, and leaves no timer running once closed.
#include "FuzzSupport.h"
#include "VirtualClock.h"
#include "net/NetSession.h"

using namespace korvel;
using fuzz::Check;

namespace {

// The link and the listener of the session.
struct Peer : NetLink, NetListener {
    bool closed = false, ended = false;
    void send(const std::string& bytes) override {
        Check(!closed && bytes.ends_with('\n'), "whole lines sent, none once the link is closed");
    }
    void close() override { Check(!closed, "the link closed once"), closed = true; }
    void report(bool last = false) { Check(!ended, "no report after the end"), ended = last; }
    void connected(const SetupMessage&, const std::string&) override { report(); }
    void moveReceived(int turn, int col, int row) override {
        report(), Check(OnBoard(col, row) && turn >= 1 && turn <= kMaxNetTurn, "on board");
    }
    void passReceived(int turn) override { report(), Check(turn >= 1, "a turn"); }
    void timeOutReceived(int turn) override { report(), Check(turn >= 1, "a turn"); }
    void quitReceived() override { report(true); }
    void stageReceived(int stage) override { report(), Check(stage <= kMaxNetStage, "a stage"); }
    void failed(NetFault) override { report(true); }
    static bool OnBoard(int col, int row) { return col >= 1 && col <= 8 && row >= 1 && row <= 8; }
};

void CheckLine(const std::string& line) {
    Check(CheckPlayerName(MakePlayerName(line)) == DecodeError::None,
          "any name can be made sendable");
    Check(line.size() <= kMaxNetLineBytes && line.find('\n') == std::string::npos, "a line");
    NetMessage message, again;
    if (DecodeMessage(line, message) != DecodeError::None) {
        return;
    }
    const std::string encoded = EncodeMessage(message);
    const auto* hello = std::get_if<HelloMessage>(&message);
    Check(encoded == line + "\n" || (hello && hello->protocolVersion != kNetProtocolVersion),
          "a decoded line encodes back to itself");
    Check(DecodeMessage(encoded.substr(0, encoded.size() - 1), again) == DecodeError::None &&
              again == message,
          "an encoding decodes to its message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte: the session's role, and the seed of the pieces' sizes and times.
    std::uint32_t state = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    NetLineReader reader;
    testing::VirtualClock clock;
    Peer peer;
    NetSessionSettings settings;
    settings.role = (state & 1) ? NetRole::Host : NetRole::Guest;
    settings.code = "1234";
    settings.playerName = "Фаззер";
    settings.setup = {2, 30, {}};
    NetSession session(clock, peer, peer, settings);
    session.start();
    for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
        state = state * 1664525u + 1013904223u;
        length = std::min<std::size_t>(1 + (state >> 8) % 300, bytes.size() - at);
        // Mostly a few milliseconds between pieces, now and then long enough for the timers.
        clock.advance((state >> 28) == 0 ? (state >> 12) % 20000 : (state >> 20) % 40);
        for (const auto& line : reader.feed(bytes.substr(at, length), clock.tickCount()).lines) {
            CheckLine(line);
        }
        Check(reader.pendingBytes() <= kMaxNetLineBytes, "the reader stays bounded");
        session.received(bytes.substr(at, length));
    }
    Check(session.isOpen() || clock.pendingCount() == 0, "no timer once closed");
    Check(session.isOpen() != peer.closed, "the link closed with the session");
    return 0;
}
