#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "IniFile.h"
#include "TempFolder.h"

namespace korvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Settings, DefaultFileByteForByte) {
    TempFolder dir;
    Settings settings(dir / "Korvel.ini");
    EXPECT_FALSE(settings.exists());
    settings.CreateIni();
    EXPECT_EQ(ReadBytes(settings.path()),
              "[Menu]\r\nlevel=1\r\ntime=0\r\ntype=1\r\nposition=1\r\n"
              "[Game]\r\ninterval=100\r\ngamer1=white\r\ngamer2=black\r\n"
              "player_name=\xC8\xC3\xD0\xCE\xCA\r\nplayer_sound=player\r\n"
              "[Music]\r\nmusic=1\r\n");
    EXPECT_EQ(settings.GetIni("Game", "player_name"), "ИГРОК");
    // The announcer's first start adds its key at the end of [Music].
    settings.SetIni("Music", "play", "0");
    EXPECT_TRUE(ReadBytes(settings.path()).ends_with("[Music]\r\nmusic=1\r\nplay=0\r\n"));
}

struct EditCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

class IniEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(IniEdits, WritesLikeTheProfileFunctions) {
    TempFolder dir;
    const auto path = dir / "t.ini";
    if (GetParam().before != nullptr) {
        WriteBytes(path, GetParam().before);
    }
    ASSERT_TRUE(WriteIni(path, GetParam().section, GetParam().key, GetParam().value));
    EXPECT_EQ(ReadBytes(path), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniEdits,
    ::testing::Values(
        EditCase{"NewFile", nullptr, "Menu", "level", "2", "[Menu]\r\nlevel=2\r\n"},
        EditCase{"ReplaceInPlace", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n", "A", "x", "9",
                 "[A]\r\nx=9\r\ny=2\r\n[B]\r\nx=3\r\n"},
        EditCase{"AppendToSection", "[A]\r\nx=1\r\n\r\n[B]\r\nx=3\r\n", "A", "z", "5",
                 "[A]\r\nx=1\r\nz=5\r\n\r\n[B]\r\nx=3\r\n"},
        EditCase{"NewSectionAtEnd", "[A]\r\nx=1\r\n", "B", "k", "v",
                 "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        EditCase{"CaseInsensitiveNames", "[MENU]\r\nLevel=1\r\n", "menu", "LEVEL", "4",
                 "[MENU]\r\nLEVEL=4\r\n"},
        EditCase{"LineBreaksRemoved", "[A]\r\n", "A", "k", "a\r\nb\rc\nd", "[A]\r\nk=abcd\r\n"},
        EditCase{"OverlongLineBreaksAreNoLineBreaks", "[A]\r\n", "A", "k",
                 "a\xC0\x8D\xE0\x80\x8Ax=1", "[A]\r\nk=a?????x=1\r\n"},
        EditCase{"EmptySectionGetsKey", "[A]\r\n[B]\r\n", "A", "k", "1", "[A]\r\nk=1\r\n[B]\r\n"},
        EditCase{"UnixFileKeepsItsLines", "[A]\nx=1\n", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
        EditCase{"CyrillicInCodePage", "", "Game", "player_name", "ИГРОК",
                 "[Game]\r\nplayer_name=\xC8\xC3\xD0\xCE\xCA\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    const char* content;
    const char* section;
    const char* key;
    std::string expected;
};

class IniReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReads, ReadsLikeTheProfileFunctions) {
    TempFolder dir;
    const auto path = dir / "t.ini";
    if (GetParam().content != nullptr) {
        WriteBytes(path, GetParam().content);
    }
    EXPECT_EQ(GetIni(path, GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReads,
    ::testing::Values(
        ReadCase{"MissingFile", nullptr, "Menu", "level", "0"},
        ReadCase{"MissingSection", "[Game]\r\nlevel=3\r\n", "Menu", "level", "0"},
        ReadCase{"MissingKey", "[Menu]\r\ntime=3\r\n", "Menu", "level", "0"},
        ReadCase{"KeyOfAnotherSection", "[Menu]\r\n[Game]\r\nlevel=3\r\n", "Menu", "level", "0"},
        ReadCase{"CaseInsensitive", "[menu]\r\nLEVEL=3\r\n", "Menu", "level", "3"},
        ReadCase{"SpacesTrimmed", "[ Menu ]\r\n  level = 3 \r\n", "Menu", "level", "3"},
        ReadCase{"EmptyValue", "[Menu]\r\nlevel=\r\n", "Menu", "level", ""},
        ReadCase{"CommentIsNoKey", "[A]\r\n;k=1\r\n", "A", ";k", "0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, ValueCutAt254Characters) {
    TempFolder dir;
    const auto path = dir / "t.ini";
    WriteBytes(path, "[A]\r\nk=" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(GetIni(path, "A", "k"), std::string(254, 'x'));
}

class IniNumbers : public ::testing::TestWithParam<std::pair<std::string, int>> {};

TEST_P(IniNumbers, LeadingNumberHalvesToEvenClamped) {
    EXPECT_EQ(IniNumber(GetParam().first), GetParam().second) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniNumbers,
    ::testing::Values(std::pair{std::string("250"), 250}, std::pair{std::string("1.5"), 2},
                      std::pair{std::string("2.5"), 2}, std::pair{std::string("3.5"), 4},
                      std::pair{std::string("-1"), -1}, std::pair{std::string("12abc"), 12},
                      std::pair{std::string("abc"), 0}, std::pair{std::string(""), 0},
                      std::pair{std::string(" 7"), 7}, std::pair{std::string("99999"), 32767},
                      std::pair{std::string("-99999"), -32768},
                      std::pair{std::string("32767.4"), 32767}, std::pair{std::string(".5"), 0},
                      std::pair{std::string("0.51"), 1}, std::pair{std::string("2.49"), 2},
                      std::pair{std::string("2.51"), 3}));

TEST(IniFile, ReadOnlyFolderFailsQuietlyAndKeepsTheFile) {
    testing::WithoutPermissionOverride asAPlayer;
    TempFolder dir;
    const auto path = dir / "t.ini";
    WriteBytes(path, "[A]\r\nk=1\r\n");
    chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(WriteIni(path, "A", "k", "2"));
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(GetIni(path, "A", "k"), "1");
}

TEST(IniFile, WriteOverAFolderFailsQuietly) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "t.ini");
    EXPECT_FALSE(WriteIni(dir / "t.ini", "A", "k", "2"));
    EXPECT_EQ(GetIni(dir / "t.ini", "A", "k"), "0");
}

}  // namespace
}  // namespace korvel
