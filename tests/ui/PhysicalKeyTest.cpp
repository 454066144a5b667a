// Without a key code from the platform, the X11 keysym of a Russian letter,
// small or capital, names the physical key it sits on.
#include "ui/PhysicalKey.h"

#include <gtest/gtest.h>

namespace korvel::testing {
namespace {

struct KeysymCase {
    int key;       // the event's Qt key
    quint32 sym;   // its X11 keysym
    int physical;  // the Latin key expected
};

class Keysyms : public ::testing::TestWithParam<KeysymCase> {};

TEST_P(Keysyms, NameThePhysicalKey) {
    EXPECT_EQ(PhysicalKey(GetParam().key, 0, GetParam().sym), GetParam().physical);
}

INSTANTIATE_TEST_SUITE_P(LatinAndRussian, Keysyms,
                         ::testing::Values(KeysymCase{Qt::Key_A, 0x61, Qt::Key_A},
                                           KeysymCase{Qt::Key_S, 0x53, Qt::Key_S},
                                           KeysymCase{0, 0x6c6, Qt::Key_A},             // ф
                                           KeysymCase{0, 0x6e6, Qt::Key_A},             // Ф
                                           KeysymCase{0, 0x6d9, Qt::Key_S},             // ы
                                           KeysymCase{0, 0x6f9, Qt::Key_S},             // Ы
                                           KeysymCase{0, 0x6c0, Qt::Key_Period},        // ю
                                           KeysymCase{0, 0x6ff, Qt::Key_BracketRight},  // Ъ
                                           KeysymCase{0, 0x6b3, Qt::Key_QuoteLeft},     // Ё
                                           KeysymCase{0, 0x6d1, Qt::Key_Z}));           // я

}  // namespace
}  // namespace korvel::testing
