#include <gtest/gtest.h>

#include "ProgramFolders.h"

namespace korvel {
namespace {

// One start of the program: where it lies and what it finds, and the folders
// it must choose.
struct FolderCase {
    const char *name, *program;
    bool hasData, installedHasData, writable;  // Speaks/ beside it, Speaks/ in the share folder
    const char *xdgDataHome, *home, *data, *user;
};

class FolderChoice : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderChoice, DataAndUserFolders) {
    const FolderCase& c = GetParam();
    const Folders folders = ChooseFolders(FolderFacts{c.program, c.hasData, c.installedHasData,
                                                      c.writable, c.xdgDataHome, c.home, "/tmp"});
    EXPECT_EQ(folders.data, c.data);
    EXPECT_EQ(folders.user, c.user);
}

constexpr const char* kShare = "/usr/share/games/korvel";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, FolderChoice, ::testing::Values(
    FolderCase{"Portable",           "/opt/k/",    true,  true,  true,  "/x", "/h", "/opt/k/", "/opt/k/"},
    FolderCase{"BareExecutable",     "/opt/k/",    false, false, true,  "/x", "/h", "/opt/k/", "/opt/k/"},
    FolderCase{"ReadOnlyPortable",   "/cd/k/",     true,  false, false, "",   "/h", "/cd/k/", "/h/.local/share/korvel"},
    FolderCase{"Installed",          "/usr/games/", false, true, false, "/x", "/h", kShare, "/x/korvel"},
    FolderCase{"InstalledRunByRoot", "/usr/games/", false, true, true,  "",   "/root", kShare, "/root/.local/share/korvel"},
    FolderCase{"RelativeDataHome",   "/usr/games/", false, true, false, "x",  "/h", kShare, "/h/.local/share/korvel"},
    FolderCase{"NoHome",             "/usr/games/", false, true, false, "",   "",   kShare, "/tmp/korvel"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace korvel
