#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/NetMessage.h"

namespace korvel {

// Cuts the bytes that come over the connection, in whatever pieces they come,
// into lines (without their "\n"), and refuses two kinds of abuse:
// - a line longer than kMaxNetLineBytes, found as soon as that many bytes
//   have come without an end;
// - a flood: more than kFloodLines lines within kFloodWindowMs. An honest
//   peer sends a ping every 5 s and a move or two a second at the most, so
//   even a backlog let go at once after a stall of the network stays far
//   below that.
// What the reader keeps is bounded: one unfinished line and the times of the
// last kFloodLines lines. After a fault it is spent: it refuses everything.
class NetLineReader {
  public:
    static constexpr int kFloodLines = 50;
    static constexpr std::int64_t kFloodWindowMs = 1000;

    enum class Fault { None, LineTooLong, Flood };

    struct Result {
        std::vector<std::string> lines;  // the whole lines before any fault
        Fault fault = Fault::None;
    };

    // The lines `bytes` complete, received at `nowMs` (the clock's tickCount).
    Result feed(std::string_view bytes, std::int64_t nowMs);

    Fault fault() const { return m_fault; }
    // Bytes of the unfinished line.
    std::size_t pendingBytes() const { return m_partial.size(); }

  private:
    std::string m_partial;
    std::array<std::int64_t, kFloodLines> m_times{};  // a ring of the last lines' times
    std::uint64_t m_lineCount = 0;
    Fault m_fault = Fault::None;
};

}  // namespace korvel
