// The spoken menu from start-up to the exit, played by a scripted player and
// kept as golden transcripts (data/flows.txt).
#include <gtest/gtest.h>

#include "Session.h"

namespace korvel::testing {
namespace {

class Menu : public ::testing::TestWithParam<std::string> {};

TEST_P(Menu, SoundsAsRecorded) {
    ExpectGolden(PlayFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Shell, Menu, ::testing::ValuesIn(DataLines("flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

}  // namespace
}  // namespace korvel::testing
