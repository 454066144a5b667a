#include "net/NetDoor.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace korvel {

std::uint32_t SystemCodeSource::draw() {
    std::random_device device;
    return static_cast<std::uint32_t>(device());
}

NetDoor::NetDoor(CodeSource& source) : m_source(source), m_code(drawCode()) {}

// Uniform over 0000..9999: draws past the last whole run of 10000 are drawn again.
std::string NetDoor::drawCode() {
    constexpr std::uint32_t kRuns = 0xFFFFFFFFu / 10000u * 10000u;
    std::uint32_t value = m_source.draw();
    while (value >= kRuns) {
        value = m_source.draw();
    }
    char text[8];
    std::snprintf(text, sizeof text, "%04u", static_cast<unsigned>(value % 10000u));
    return text;
}

Admission NetDoor::admit(const std::string& address, const std::string& guess, std::int64_t nowMs) {
    auto found = m_addresses.find(address);
    if (found != m_addresses.end() && nowMs < found->second.waitUntil) {
        return Admission::TryLater;
    }
    if (guess == m_code) {
        return Admission::Admit;
    }
    if (found == m_addresses.end()) {
        if (m_addresses.size() >= kMostAddresses) {
            m_addresses.erase(std::min_element(m_addresses.begin(), m_addresses.end(),
                                               [](const auto& a, const auto& b) {
                                                   return a.second.waitUntil < b.second.waitUntil;
                                               }));
        }
        found = m_addresses.emplace(address, Guesser{}).first;
    }
    Guesser& guesser = found->second;
    std::int64_t wait = kFirstWaitMs;
    for (int i = 0; i < guesser.wrong && wait < kLongestWaitMs; ++i) {
        wait *= 4;
    }
    ++guesser.wrong;
    guesser.waitUntil = nowMs + std::min(wait, kLongestWaitMs);
    if (++m_wrongForCode == 1 && firstWrongGuess) {
        firstWrongGuess();
    }
    if (m_wrongForCode >= kWrongPerCode) {
        m_wrongForCode = 0;
        m_code = drawCode();
        if (newCode) {
            newCode(m_code);
        }
    }
    return Admission::Wrong;
}

}  // namespace korvel
