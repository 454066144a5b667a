// The reading keys at the board's corners and edges, on the position of
// data/middle_game_start.txt: each line of data/reading_edge_cases.txt names a
// report and a cell ("row a1", "column h8", "cell a8"; "moves 1", "counts",
// "free", "hint 2"), and data/reading_edges.txt keeps what the player hears.
#include <gtest/gtest.h>

#include <sstream>

#include "FakeAudioDevice.h"
#include "Golden.h"
#include "TempFolder.h"
#include "VirtualClock.h"
#include "core/IniFile.h"
#include "game/BoardReader.h"
#include "records/StartPosition.h"
#include "voice/Announcer.h"
#include "voice/SoundEffects.h"

namespace korvel::testing {
namespace {

TEST(BoardReader, SaysTheEdgesAsTheyAre) {
    TempFolder folder;
    VirtualClock clock;
    std::vector<std::string> heard;
    TranscriptDevice device(clock, heard);
    Settings settings(folder.path() / "Korvel.ini");
    ASSERT_TRUE(OpenSoundDevice(device));
    Announcer announcer(clock, settings, device);
    announcer.setPhraseFolder("/k");
    ASSERT_TRUE(announcer.Init());
    Board board;
    ReadStartPosition(
        std::filesystem::path(std::getenv("KORVEL_TEST_DATA")) / "middle_game_start.txt", board);
    BoardReader reader(announcer, board);

    std::vector<std::string> lines;
    for (const std::string& line : DataLines("reading_edge_cases.txt")) {
        std::istringstream in(line);
        std::string report, where;
        in >> report >> where;
        const int col = where.size() == 2 ? where[0] - 'a' + 1 : 0;
        const int row = where.size() == 2 ? where[1] - '0' : std::atoi(where.c_str());
        const std::size_t before = device.startedPhraseStems().size();
        if (report == "row" || report == "column") {
            reader.line(col, row, report == "row");
        } else if (report == "cell") {
            reader.cell(col, row);
        } else if (report == "moves") {
            reader.legalMoves(row);
        } else if (report == "hint") {
            reader.hint(row, 20);
        } else if (report == "counts") {
            reader.discCounts();
        } else {
            ASSERT_EQ(report, "free") << "an unknown report";
            reader.freeCells();
        }
        ASSERT_TRUE(clock.waitUntil([&] { return announcer.Count() == 0; }, 600000));
        const std::vector<std::string> stems = device.startedPhraseStems();
        std::string said = "> " + line + ":";
        for (std::size_t i = before; i < stems.size(); ++i) {
            said += " " + stems[i];
        }
        lines.push_back(said);
    }
    CloseSoundDevice();
    ExpectGolden(lines, "reading_edges");
}

}  // namespace
}  // namespace korvel::testing
