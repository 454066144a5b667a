#include "ui/PhysicalKey.h"

#include <QGuiApplication>
#include <array>
#include <utility>

#include "game/BoardKeys.h"

namespace korvel {
namespace {

// X11 key codes (evdev + 8) of the keys that carry letters, on the standard PC
// keyboard, with the Latin key each stands for.
constexpr std::array<std::pair<quint32, int>, 33> kScanCodes{{
    {24, Qt::Key_Q},         {25, Qt::Key_W},           {26, Qt::Key_E},
    {27, Qt::Key_R},         {28, Qt::Key_T},           {29, Qt::Key_Y},
    {30, Qt::Key_U},         {31, Qt::Key_I},           {32, Qt::Key_O},
    {33, Qt::Key_P},         {34, Qt::Key_BracketLeft}, {35, Qt::Key_BracketRight},
    {38, Qt::Key_A},         {39, Qt::Key_S},           {40, Qt::Key_D},
    {41, Qt::Key_F},         {42, Qt::Key_G},           {43, Qt::Key_H},
    {44, Qt::Key_J},         {45, Qt::Key_K},           {46, Qt::Key_L},
    {47, Qt::Key_Semicolon}, {48, Qt::Key_Apostrophe},  {49, Qt::Key_QuoteLeft},
    {52, Qt::Key_Z},         {53, Qt::Key_X},           {54, Qt::Key_C},
    {55, Qt::Key_V},         {56, Qt::Key_B},           {57, Qt::Key_N},
    {58, Qt::Key_M},         {59, Qt::Key_Comma},       {60, Qt::Key_Period},
}};

// X11 keysyms of the Cyrillic letters (lower and upper case) to the capital's code.
int CyrillicFromKeysym(quint32 keysym) {
    static constexpr std::array<int, 32> kByKeysym{
        // 0x6c0 .. 0x6df: ю а б ц д е ф г х и й к л м н о п я р с т у ж в ь ы з ш э щ ч ъ
        0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413, 0x0425, 0x0418, 0x0419,
        0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423,
        0x0416, 0x0412, 0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A};
    if (keysym >= 0x6c0 && keysym <= 0x6df) {
        return kByKeysym[keysym - 0x6c0];
    }
    if (keysym >= 0x6e0 && keysym <= 0x6ff) {
        return kByKeysym[keysym - 0x6e0];
    }
    if (keysym == 0x6a3 || keysym == 0x6b3) {
        return 0x0401;
    }
    return 0;
}

// The Latin key in the place of a Russian letter, as a Qt key; 0 for any other key.
int FromCyrillic(int capital) {
    return capital > 0 ? LatinKeyOfCyrillic(static_cast<char32_t>(capital)) : 0;
}

bool PlatformGivesKeyCodes() {
    const QString platform = QGuiApplication::platformName();
    // The offscreen platform passes on whatever key code it is given.
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")) ||
           platform == QLatin1String("offscreen");
}

}  // namespace

int PhysicalKey(int key, quint32 nativeScanCode, quint32 nativeVirtualKey) {
    if (nativeScanCode != 0 && PlatformGivesKeyCodes()) {
        for (const auto& [code, latin] : kScanCodes) {
            if (code == nativeScanCode) {
                return latin;
            }
        }
    }
    if (const int latin = FromCyrillic(key)) {
        return latin;
    }
    if (const int latin = FromCyrillic(CyrillicFromKeysym(nativeVirtualKey))) {
        return latin;
    }
    return key;
}

int PhysicalKey(const QKeyEvent& event) {
    return PhysicalKey(event.key(), event.nativeScanCode(), event.nativeVirtualKey());
}

Qt::KeyboardModifiers CommandModifiers(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

}  // namespace korvel
