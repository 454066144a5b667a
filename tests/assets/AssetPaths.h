#pragma once

// Where the tests find the built program folder and the asset sources; the
// values come from the build.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace korvel::testing {

inline constexpr bool kAssetsBuilt = KORVEL_ASSETS_BUILT != 0;

inline std::filesystem::path ProgramDir() {
    return KORVEL_PROGRAM_DIR;
}
inline std::filesystem::path PhraseTablePath() {
    return KORVEL_PHRASE_TABLE;
}

}  // namespace korvel::testing

// The generated files exist only in a build made with KORVEL_BUILD_ASSETS.
#define KORVEL_SKIP_WITHOUT_ASSETS()                                   \
    do {                                                               \
        if (!::korvel::testing::kAssetsBuilt) {                        \
            GTEST_SKIP() << "configured with KORVEL_BUILD_ASSETS=OFF"; \
        }                                                              \
    } while (false)
