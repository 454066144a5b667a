// Whole flows of the board, its questions and lists, played by a scripted
// player on the game without Qt and kept as golden transcripts (data/flows.txt).
#include <gtest/gtest.h>

#include "GameSession.h"

namespace korvel::testing {
namespace {

class Flow : public ::testing::TestWithParam<std::string> {};

TEST_P(Flow, SoundsAsRecorded) {
    ExpectGolden(PlayGameFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Board, Flow, ::testing::ValuesIn(DataLines("flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

}  // namespace
}  // namespace korvel::testing
