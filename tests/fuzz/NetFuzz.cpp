// The network game's reader and decoder, and a session fed the same bytes:
// whatever comes over the connection, in whatever pieces,
// - the reader gives lines without "\n" of at most kMaxNetLineBytes and keeps
//   no more than one unfinished line;
// - a line that decodes encodes back to itself (a hello of another protocol
//   version to its version alone), and that encoding decodes to the same message;
// - the session reports nothing after its end, sends nothing once its link is
//   closed, and leaves no timer running once closed.
#include <map>

#include "FuzzSupport.h"
#include "net/NetSession.h"

namespace {

using korvel::fuzz::Check;

// A clock whose timers never fire on their own: the fuzzer fires them.
class FuzzClock : public korvel::Clock {
  public:
    std::int64_t now = 0;
    std::map<TimerId, Callback> timers;
    TimerId next = 1;
    std::int64_t tickCount() const override { return now; }
    void sleep(int) override {}
    void processEvents() override {}
    void waitFor(int) override {}
    bool waitUntil(const std::function<bool()>& done, std::int64_t) override { return done(); }
    TimerId startTimer(int, Callback callback) override {
        timers[next] = std::move(callback);
        return next++;
    }
    void stopTimer(TimerId id) override { timers.erase(id); }
    bool timerActive(TimerId id) const override { return timers.count(id) != 0; }
    void singleShot(int, Callback) override { Check(false, "the session uses no single shot"); }
    TimerId resumeAfter(int, Callback) override { return 0; }
    TimerId resumeWhen(std::function<bool()>, Callback) override { return 0; }
    // Fires the timer `pick` selects, if any.
    void fire(unsigned pick) {
        if (timers.empty()) {
            return;
        }
        auto it = timers.begin();
        std::advance(it, pick % timers.size());
        const Callback callback = it->second;
        callback();
    }
};

struct FuzzLink : korvel::NetLink {
    bool closed = false;
    void send(const std::string& bytes) override {
        Check(!closed, "nothing sent once the link is closed");
        Check(!bytes.empty() && bytes.back() == '\n', "a whole line sent");
    }
    void close() override {
        Check(!closed, "the link closed once");
        closed = true;
    }
};

struct FuzzListener : korvel::NetListener {
    bool ended = false;
    void report() { Check(!ended, "no report after the end"); }
    void connected(const korvel::SetupMessage&, const std::string&) override { report(); }
    void moveReceived(int col, int row) override {
        report();
        Check(col >= 1 && col <= 8 && row >= 1 && row <= 8, "moves on the board");
    }
    void passReceived() override { report(); }
    void timeOutReceived() override { report(); }
    void quitReceived() override { report(), ended = true; }
    void stageReceived(int stage) override {
        report();
        Check(stage >= 1 && stage <= korvel::kMaxNetStage, "stages in range");
    }
    void failed(korvel::NetFault) override { report(), ended = true; }
};

void CheckLine(const std::string& line) {
    Check(line.size() <= korvel::kMaxNetLineBytes, "a line within the limit");
    Check(line.find('\n') == std::string::npos, "a line without its end");
    korvel::NetMessage message;
    if (korvel::DecodeMessage(line, message) != korvel::DecodeError::None) {
        return;
    }
    const std::string encoded = korvel::EncodeMessage(message);
    const auto* hello = std::get_if<korvel::HelloMessage>(&message);
    if (!hello || hello->protocolVersion == korvel::kNetProtocolVersion) {
        Check(encoded == line + "\n", "a decoded line encodes back to itself");
    }
    korvel::NetMessage again;
    Check(korvel::DecodeMessage(std::string_view(encoded).substr(0, encoded.size() - 1), again) ==
                  korvel::DecodeError::None &&
              again == message,
          "an encoding decodes to its message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte: the session's role, and the pieces' sizes from a generator it seeds.
    const bool host = (data[0] & 1) != 0;
    std::uint32_t state = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    korvel::NetLineReader reader;
    FuzzClock clock;
    FuzzLink link;
    FuzzListener listener;
    korvel::SetupMessage setup{2, 30, {}};
    korvel::NetSession session(
        clock, link, listener,
        {host ? korvel::NetRole::Host : korvel::NetRole::Guest, "1234", "Фаззер", setup});
    session.start();
    for (std::size_t at = 0; at < bytes.size();) {
        state = state * 1664525u + 1013904223u;
        const std::size_t length = std::min<std::size_t>(1 + (state >> 8) % 300, bytes.size() - at);
        const std::string_view piece = bytes.substr(at, length);
        at += length;
        clock.now += (state >> 20) % 40;
        const auto result = reader.feed(piece, clock.now);
        for (const auto& line : result.lines) {
            CheckLine(line);
        }
        Check(reader.pendingBytes() <= korvel::kMaxNetLineBytes, "the reader stays bounded");
        session.received(piece);
        if ((state >> 28) == 0) {
            clock.fire(state);
        }
    }
    Check(session.isOpen() || clock.timers.empty(), "no timer once closed");
    Check(session.isOpen() != link.closed, "the link closed with the session");
    return 0;
}
