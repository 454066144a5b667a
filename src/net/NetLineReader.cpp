#include "net/NetLineReader.h"

namespace korvel {

NetLineReader::Result NetLineReader::feed(std::string_view bytes, std::int64_t nowMs) {
    Result result;
    result.fault = m_fault;
    while (result.fault == Fault::None && !bytes.empty()) {
        const auto end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (m_partial.size() + piece.size() > kMaxNetLineBytes) {
            result.fault = Fault::LineTooLong;
            break;
        }
        m_partial += piece;
        if (end == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(end + 1);
        // The slot of the line kFloodLines before this one.
        auto& oldest = m_times[m_lineCount % kFloodLines];
        if (m_lineCount >= kFloodLines && nowMs - oldest < kFloodWindowMs) {
            result.fault = Fault::Flood;
            break;
        }
        oldest = nowMs;
        ++m_lineCount;
        result.lines.push_back(std::move(m_partial));
        m_partial.clear();
    }
    if (result.fault != Fault::None) {
        m_fault = result.fault;
        m_partial.clear();
        m_partial.shrink_to_fit();
    }
    return result;
}

}  // namespace korvel
