// The saved-game record, its slot file, and the start-position file: their
// cases are in data/records.txt (see CaseFile.h).
#include <gtest/gtest.h>

#include "CaseFile.h"
#include "records/SavedGameRecord.h"
#include "records/StartPosition.h"

namespace korvel {
namespace {

using namespace korvel::testing;

// The fields of a game in the record's order.
std::array<int*, 14> Fields(SavedGame& g) {
    return {&g.game,       &g.gameType,      &g.stage,         &g.times,     &g.timeLeft,
            &g.moveNumber, &g.curPlayer,     &g.cursorCol,     &g.cursorRow, &g.points[0],
            &g.points[1],  &g.discTotals[0], &g.discTotals[1], &g.level};
}

// The board's cells from a1 along row 1, then row 2 ..., rows apart.
std::string Cells(const Board& board) {
    std::string out;
    for (std::size_t i = 0; i < board.cells.size(); ++i) {
        out += (i % 8 == 0 && i > 0 ? "/" : "") + std::to_string(board.cells[i]);
    }
    return out;
}

std::string RunCase(const TempFolder& dir, const std::string& c, const Args& a) {
    std::string out;
    if (c == "build") {  // the fields, then the board's 64 cells
        SavedGame game;
        for (std::size_t i = 0; i < 14; ++i) {
            *Fields(game)[i] = std::stoi(a[i]);
        }
        for (std::size_t i = 0; a.size() > 14 && i < 64; ++i) {
            game.board.cells[i] = static_cast<CellCode>(a[14][i] - '0');
        }
        return BuildRecord(game);
    } else if (c == "parse") {
        auto game = ParseRecord(a.empty() ? "" : a[0]);
        for (int* field : game ? Fields(*game) : std::array<int*, 14>{}) {
            out += field ? std::to_string(*field) + " " : "";
        }
        return game ? out + Cells(game->board) : "rejected";
    } else if (c == "offered") {  // whether the load list offers a slot file of the record
        return SlotFile{1, a.empty() ? "" : a[0]}.valid() ? "offered" : "damaged";
    } else if (c == "file") {  // the record in a slot's file, its bytes and read back
        const auto file = GamesFolder(dir.path()) / SlotFileName(std::stoi(a[0]));
        std::filesystem::create_directories(file.parent_path());
        const bool written = WriteSlotFile(file, a[1]);
        return file.filename().string() + (written ? " " : " refused ") + Escape(ReadBytes(file)) +
               " " + Escape(ReadSlotFile(file));
    } else if (c == "read-slot") {  // without bytes, a missing file
        WriteBytes(dir / "slot.rsg", a.empty() ? "" : a[0]);
        return Escape(ReadSlotFile(a.empty() ? dir / "none.rsg" : dir / "slot.rsg"));
    } else if (c == "read-slot-size") {  // a record padded to each size: what is read of it
        for (const auto& size : a) {
            std::string bytes = EncodeRecord(std::string(kRecordLength, '0')) + "\r\n";
            bytes.resize(std::stoul(size), ' ');
            WriteBytes(dir / "slot.rsg", bytes);
            out += std::to_string(ReadSlotFile(dir / "slot.rsg").size()) + " ";
        }
    } else if (c == "slot") {
        for (const auto& name : a) {
            out += std::to_string(SlotNumber(name).value_or(0)) + " ";
        }
    } else if (c == "start" || c == "start-size") {  // a[1]: padded with blanks to that size
        std::string bytes = a.empty() ? "" : a[0];
        bytes.resize(c == "start" ? bytes.size() : std::stoul(a[1]), ' ');
        WriteBytes(dir / "start.txt", bytes);
        Board board;
        const int first =
            ReadStartPosition(a.empty() ? dir / "none.txt" : dir / "start.txt", board);
        return std::to_string(first) + " " + Cells(board);
    } else {
        ADD_FAILURE() << "no such case command: " << c;  // a misspelt case never passes
        return "unknown command";
    }
    return out;
}

TEST(Games, CasesAsWritten) {
    TempFolder dir;
    RunCaseFile("records", [&](auto& command, auto& args) { return RunCase(dir, command, args); });
}

}  // namespace
}  // namespace korvel
