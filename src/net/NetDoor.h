#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "net/NetSession.h"

namespace korvel {

// Where a host's codes come from: 32 random bits a draw. The program draws
// from the system's own source (SystemCodeSource); tests give a seeded one.
class CodeSource {
  public:
    virtual ~CodeSource() = default;
    virtual std::uint32_t draw() = 0;
};

// The system's random source (std::random_device), which no one can predict
// from the time the program started.
class SystemCodeSource : public CodeSource {
  public:
    std::uint32_t draw() override;
};

// The host's keeper of the code: draws it, judges each guest's guess, and
// makes guessing too slow to pay. Each address (an IPv4 address, an IPv6 /64)
// whose guess was wrong must wait before its next guess is even looked at:
// kFirstWaitMs after its first wrong guess, four times as long after each
// further one, at most kLongestWaitMs. A guess that comes sooner is turned
// away unread (bye 10). Every kWrongPerCode wrong guesses, from whatever
// addresses, the code is drawn anew, so that no stranger can work through the
// codes one by one. docs/network.md gives the arithmetic.
//
// What the host must hear comes out as two reports: the first wrong guess of
// each code, and each new code.
class NetDoor {
  public:
    static constexpr int kWrongPerCode = 3;
    static constexpr std::int64_t kFirstWaitMs = 4000;
    static constexpr std::int64_t kLongestWaitMs = 3600 * 1000;
    // The addresses remembered; past this the one whose wait ends first is forgotten.
    static constexpr std::size_t kMostAddresses = 4096;

    // Draws the first code.
    explicit NetDoor(CodeSource& source);

    const std::string& code() const { return m_code; }
    Admission admit(const std::string& address, const std::string& guess, std::int64_t nowMs);
    std::size_t addressCount() const { return m_addresses.size(); }

    std::function<void()> firstWrongGuess;
    std::function<void(const std::string& code)> newCode;

  private:
    std::string drawCode();

    struct Guesser {
        int wrong = 0;
        std::int64_t waitUntil = 0;
    };
    CodeSource& m_source;
    std::string m_code;
    int m_wrongForCode = 0;
    std::map<std::string, Guesser> m_addresses;
};

}  // namespace korvel
