// Whole flows of the board, the help window and the first start, played by a
// scripted player and kept as golden transcripts (data/flows.txt).
#include <gtest/gtest.h>

#include "Session.h"

namespace korvel::testing {
namespace {

class Flow : public ::testing::TestWithParam<std::string> {};

TEST_P(Flow, SoundsAsRecorded) {
    ExpectGolden(PlayFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Board, Flow, ::testing::ValuesIn(DataLines("flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

}  // namespace
}  // namespace korvel::testing
