#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"
#include "core/PortMapper.h"

namespace korvel {

// What the waiting host hears and sees, and the home router's part in it.
// The local addresses, the port and the code are said at once; the router is
// asked meanwhile to forward the port. When it does, the notice is said again
// with the outside address and port first; when no router answers or it
// refuses, one sentence is added: a friend at home can still use the local
// address, one on the internet needs the port forwarded by hand. Global IPv6
// addresses are said as addresses for the internet, with a word of caution
// unless the router opened a pinhole for them.
//
// It owns the forwarded port while the host hosts and plays: renewed on the
// clock at half its lease (a minute after a failed renewal), removed at stop().
// Once the game began nothing more is said; a renewal that fails while the
// host still waits is said like a refusal.
class HostNotice {
  public:
    // The lease asked of the router, in seconds: long enough that a renewal is
    // rare, short enough that a port left behind by a crash closes soon.
    static constexpr int kLeaseSeconds = 1200;
    static constexpr int kRetryMs = 60'000;

    struct Facts {
        std::vector<std::string> local;    // IPv4 addresses on the local network
        std::vector<std::string> global6;  // global IPv6 addresses
        int port = 0;
        std::string code;
    };
    struct Hooks {
        // Phrases to say: `afresh` cuts what is being said, otherwise they follow it.
        std::function<void(const std::vector<std::string>& phrases, bool afresh)> say;
        // The notice's whole text, to show in place of the last one.
        std::function<void(const std::string& text)> show;
    };

    // `mapper` is null when the router is not to be asked ([Net] portmap=0).
    HostNotice(Clock& clock, PortMapper* mapper, Hooks hooks);
    ~HostNotice();
    HostNotice(const HostNotice&) = delete;
    HostNotice& operator=(const HostNotice&) = delete;

    // Hosting began: says and shows the notice, and asks the router.
    void start(Facts facts);
    // A new code in place of the old one: shown (saying it is the caller's).
    void setCode(const std::string& code) {
        m_facts.code = code;
        if (m_waiting) {
            m_hooks.show(text());
        }
    }
    // A guest came and the game began: nothing more is said; the port stays.
    void gameBegan() { m_waiting = false; }
    // Hosting ended: the port is given back, nothing more is said.
    void stop();

  private:
    void answered(const PortMapAnswer& answer, bool renewal);
    void renewLater(int ms);
    std::vector<std::string> phrases() const;
    std::string text() const;
    // What follows the notice when the router did not forward the port; after
    // its `first` answer the IPv6 addresses' caution too.
    std::vector<std::string> caution(bool first) const;

    Clock& m_clock;
    PortMapper* m_mapper;
    Hooks m_hooks;
    Facts m_facts;
    std::optional<PortMapAnswer> m_answer;
    bool m_active = false;
    bool m_waiting = false;
    Clock::TimerId m_timer = 0;
    unsigned m_request = 0;  // answers of an earlier hosting are let go
};

// The phrases that spell an address, port or code character by character.
std::vector<std::string> SpelledPhrases(std::string_view text);

}  // namespace korvel
