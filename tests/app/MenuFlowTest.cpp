// The spoken menu from start-up to the exit, played by a scripted player and
// kept as golden transcripts (data/flows.txt).
#include <gtest/gtest.h>

#include "Session.h"
#include "app/NetworkGame.h"

namespace korvel::testing {
namespace {

class Menu : public ::testing::TestWithParam<std::string> {};

TEST_P(Menu, SoundsAsRecorded) {
    ExpectGolden(PlayFlow(GetParam()), FirstWord(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Shell, Menu, ::testing::ValuesIn(DataLines("flows.txt")),
                         [](const auto& info) { return FirstWord(info.param); });

// The typed address as the join uses it: an IPv6 address without brackets is
// all host, its port the stored one (7717 here).
struct AddressCase {
    const char* typed;
    const char* host;
    int port;
};

class JoinAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(JoinAddress, SplitsIntoHostAndPort) {
    const auto [host, port] = SplitAddress(GetParam().typed, 7717);
    EXPECT_EQ(host, GetParam().host);
    EXPECT_EQ(port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, JoinAddress,
    ::testing::Values(AddressCase{"::1", "::1", 7717}, AddressCase{"fe80::2:3", "fe80::2:3", 7717},
                      AddressCase{"[::1]:7000", "::1", 7000}, AddressCase{"[::1]", "::1", 7717},
                      AddressCase{"10.0.0.2:65535", "10.0.0.2", 65535},
                      AddressCase{"ab.c", "ab.c", 7717}, AddressCase{"ab.c:65536", "ab.c", 0},
                      AddressCase{"ab.c:", "ab.c", 7717}));

}  // namespace
}  // namespace korvel::testing
