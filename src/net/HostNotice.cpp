#include "net/HostNotice.h"

#include "core/TimingMarks.h"

namespace korvel {
namespace {

const char* const kInternetText = "Адрес для друга в интернете: ";
const char* const kInternet6Text = "Адрес IPv6 для друга в интернете: ";
const char* const kMaybeText =
    "К адресу IPv6 друг подключится, только если роутер пропускает порт.";
const char* const kNoRouterText =
    "Роутер не ответил: друг в вашей сети подключится по местному адресу, а для интернета "
    "порт нужно открыть на роутере вручную.";
const char* const kRefusedText =
    "Роутер не открыл порт: друг в вашей сети подключится по местному адресу, а для интернета "
    "порт нужно открыть на роутере вручную.";

void Add(std::vector<std::string>& to, std::vector<std::string> more) {
    to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

std::vector<std::string> SpelledPhrases(std::string_view text) {
    std::vector<std::string> phrases;
    for (const char c : text) {
        if (c >= 'a' && c <= 'z') {
            phrases.emplace_back(1, static_cast<char>(c - 'a' + 'A'));
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            phrases.emplace_back(1, c);
        } else {
            phrases.emplace_back(c == '.'   ? "dot"
                                 : c == ':' ? "colon"
                                 : c == '-' ? "dash"
                                 : c == '[' ? "bracket"
                                            : "endbracket");
        }
    }
    return phrases;
}

HostNotice::HostNotice(Clock& clock, PortMapper* mapper, Hooks hooks)
    : m_clock(clock), m_mapper(mapper), m_hooks(std::move(hooks)) {}

HostNotice::~HostNotice() {
    stop();
}

void HostNotice::start(Facts facts) {
    stop();
    m_facts = std::move(facts);
    m_answer.reset();
    m_active = m_waiting = true;
    const unsigned request = ++m_request;
    // The notice first: the router's answer may take seconds.
    m_hooks.say(phrases(), true);
    m_hooks.show(text());
    if (m_mapper != nullptr) {
        m_mapper->map(m_facts.port, kLeaseSeconds,
                      m_facts.global6.empty() ? std::string() : m_facts.global6.front(),
                      [this, request](const PortMapAnswer& answer) {
                          if (request == m_request) {
                              answered(answer, false);
                          }
                      });
    }
}

void HostNotice::stop() {
    if (!m_active) {
        return;
    }
    m_active = m_waiting = false;
    ++m_request;
    if (m_timer != 0) {
        m_clock.stopTimer(m_timer);
        m_timer = 0;
    }
    if (m_mapper != nullptr) {
        m_mapper->remove();
    }
}

void HostNotice::answered(const PortMapAnswer& answer, bool renewal) {
    if (!m_active) {
        return;
    }
    const bool mapped = answer.outcome == PortMapAnswer::Outcome::Mapped;
    const bool wasMapped = m_answer && m_answer->outcome == PortMapAnswer::Outcome::Mapped;
    // A renewal that fails leaves the first answer's pinhole and way as they were.
    m_answer = answer;
    if (mapped && answer.leaseSeconds > 0) {
        renewLater(answer.leaseSeconds * 1000 / 2);
    } else if (!mapped && renewal) {
        renewLater(kRetryMs);
    }
    if (!m_waiting || (renewal && mapped == wasMapped)) {
        return;
    }
    if (mapped) {
        TimingMark("outside address " + answer.externalAddress);
        m_hooks.say(phrases(), true);
    } else {
        m_hooks.say(caution(!renewal), false);
    }
    m_hooks.show(text());
}

void HostNotice::renewLater(int ms) {
    if (m_timer != 0) {
        m_clock.stopTimer(m_timer);
    }
    const unsigned request = m_request;
    m_timer = m_clock.startTimer(ms, [this, request] {
        m_clock.stopTimer(m_timer);
        m_timer = 0;
        m_mapper->renew([this, request](const PortMapAnswer& answer) {
            if (request == m_request) {
                answered(answer, true);
            }
        });
    });
}

std::vector<std::string> HostNotice::caution(bool first) const {
    std::vector<std::string> said{
        m_answer->outcome == PortMapAnswer::Outcome::NoRouter ? "norouter" : "portrefused"};
    if (first && !m_facts.global6.empty()) {  // not said before the router answered
        said.push_back("inet6maybe");
    }
    return said;
}

std::vector<std::string> HostNotice::phrases() const {
    std::vector<std::string> said;
    const bool mapped = m_answer && m_answer->outcome == PortMapAnswer::Outcome::Mapped;
    if (mapped) {
        said.push_back("inetaddr");
        Add(said, SpelledPhrases(m_answer->externalAddress));
        said.push_back("port");
        Add(said, SpelledPhrases(std::to_string(m_answer->externalPort)));
    } else {
        said.push_back("netwait");
    }
    for (const std::string& address : m_facts.global6) {
        said.push_back("inet6addr");
        Add(said, SpelledPhrases(address));
    }
    // Whether the router lets IPv6 callers through is known once it answered,
    // or never, when it is not asked.
    const bool pinhole = m_answer && m_answer->pinhole == PortMapAnswer::Pinhole::Opened;
    if (!m_facts.global6.empty() && !pinhole && (m_answer || m_mapper == nullptr)) {
        said.push_back("inet6maybe");
    }
    for (const std::string& address : m_facts.local) {
        said.push_back("address");
        Add(said, SpelledPhrases(address));
    }
    said.push_back("port");
    Add(said, SpelledPhrases(std::to_string(m_facts.port)));
    said.push_back("yourcode");
    Add(said, SpelledPhrases(m_facts.code));
    return said;
}

std::string HostNotice::text() const {
    std::string shown;
    const bool mapped = m_answer && m_answer->outcome == PortMapAnswer::Outcome::Mapped;
    if (mapped) {
        shown += kInternetText + m_answer->externalAddress + ", порт " +
                 std::to_string(m_answer->externalPort) + "\r\n";
    }
    for (const std::string& address : m_facts.global6) {
        shown += kInternet6Text + address + "\r\n";
    }
    const bool pinhole = m_answer && m_answer->pinhole == PortMapAnswer::Pinhole::Opened;
    if (!m_facts.global6.empty() && !pinhole && (m_answer || m_mapper == nullptr)) {
        shown += std::string(kMaybeText) + "\r\n";
    }
    for (const std::string& address : m_facts.local) {
        shown += "Адрес: " + address + "\r\n";
    }
    shown += "Порт: " + std::to_string(m_facts.port) + "\r\nКод: " + m_facts.code + "\r\n";
    if (m_answer && !mapped) {
        shown += std::string(m_answer->outcome == PortMapAnswer::Outcome::NoRouter ? kNoRouterText
                                                                                   : kRefusedText) +
                 "\r\n";
    }
    return shown + "Ожидание соперника.";
}

}  // namespace korvel
