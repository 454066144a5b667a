// What the waiting host hears and sees while the home router is asked to
// forward the port, on a fake mapper in virtual time (data/hostnotice.txt).
// Commands: "host LOCAL GLOBAL6 PORT CODE [off]" (addresses comma-separated,
// "-" for none; "off" without a mapper), "plan MS WORDS..." (an answer of the
// next host's mapper, in the order planned, MS after its request; see
// FakePortMapper::Parse), "wait MS",
// "began" (a guest came), "stop", "timers". Each gives what happened
// meanwhile after its virtual time: "say!" (cutting what was said) or "say+"
// with the phrases, "show" with the text (" / " for its line breaks), and
// what the mapper was asked.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "CaseFile.h"
#include "FakePortMapper.h"
#include "VirtualClock.h"
#include "net/HostNotice.h"

namespace korvel {
namespace {

using testing::Args;

std::vector<std::string> List(const std::string& words) {
    return testing::Split(words == "-" ? "" : words, ',');
}

class Notices {
  public:
    std::string run(const std::string& c, const Args& a) {
        m_log.clear();
        if (c == "host") {
            m_notice.reset();
            m_mapper = std::make_unique<testing::FakePortMapper>(m_clock);
            m_mapper->onLine = [this](const std::string& line) { note(line); };
            m_mapper->plan.swap(m_plan);
            HostNotice::Hooks hooks;
            hooks.say = [this](const std::vector<std::string>& phrases, bool afresh) {
                std::string line = afresh ? "say!" : "say+";
                for (const std::string& phrase : phrases) {
                    line += " " + phrase;
                    EXPECT_NE(m_table.find("\n" + phrase + "\t"), std::string::npos)
                        << "no recording of " << phrase;
                }
                note(line);
            };
            hooks.show = [this](std::string text) {
                for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n")) {
                    text.replace(at, 2, " / ");
                }
                note("show " + text);
            };
            const bool off = a.size() > 4 && a[4] == "off";
            m_notice = std::make_unique<HostNotice>(m_clock, off ? nullptr : m_mapper.get(), hooks);
            m_notice->start({List(a.at(0)), List(a.at(1)), std::stoi(a.at(2)), a.at(3)});
        } else if (c == "plan") {
            std::string words;
            for (std::size_t i = 1; i < a.size(); ++i) {
                words += a[i] + " ";
            }
            m_plan.push_back({std::stoi(a.at(0)), testing::FakePortMapper::Parse(words)});
        } else if (c == "wait") {
            m_clock.advance(std::stoll(a.at(0)));
        } else if (c == "began") {
            m_notice->gameBegan();
        } else if (c == "stop") {
            m_notice->stop();
        } else if (c == "timers") {
            note("timers " + std::to_string(m_clock.pendingCount()));
        }
        return testing::Joined(m_log, " | ", "-");
    }

  private:
    void note(const std::string& what) {
        m_log.push_back(std::to_string(m_clock.tickCount()) + " " + what);
    }

    const std::string m_table = "\n" + testing::ReadBytes(KORVEL_PHRASE_TABLE);
    std::vector<std::string> m_log;
    testing::VirtualClock m_clock;
    std::deque<testing::FakePortMapper::Planned> m_plan;
    std::unique_ptr<testing::FakePortMapper> m_mapper;
    std::unique_ptr<HostNotice> m_notice;
};

TEST(HostNotices, SaidAsWritten) {
    Notices notices;
    testing::RunCaseFile("hostnotice",
                         [&](const std::string& c, const Args& a) { return notices.run(c, a); });
}

}  // namespace
}  // namespace korvel
