// The saved-game record and its slot file. A record that parses is built back
// byte for byte; any game values build a record that parses; a record without
// line breaks survives its file, unless it is too long to be one (then it
// reads as nothing); a slot number names its own file.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "records/SavedGameRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string fromFile =
        korvel::ReadSlotFile(korvel::fuzz::WriteScratch("lok1.rsg", bytes));
    for (const std::string_view record : {bytes, std::string_view(fromFile)}) {
        const auto game = korvel::ParseRecord(record);
        Check(!game || korvel::BuildRecord(*game) == record,
              "a parsed record builds back the same");
        korvel::SlotFile{1, std::string(record)}.stage();
    }
    const auto slot = korvel::SlotNumber(bytes);
    Check(!slot || korvel::SlotFileName(*slot) == bytes, "a slot number names its own file");
    if (bytes.find_first_of("\r\n") == std::string_view::npos) {
        const auto file = korvel::fuzz::ScratchFile("lok2.rsg");
        const bool fits = bytes.size() + 2 <= korvel::kMaxSlotFileBytes;  // with its CR LF
        Check(korvel::WriteSlotFile(file, bytes) &&
                  korvel::ReadSlotFile(file) == (fits ? bytes : std::string_view()),
              "a record without line breaks survives its file, unless too long to be one");
    }

    FuzzedDataProvider in(data, size);
    korvel::SavedGame game;
    for (int* field :
         {&game.game, &game.gameType, &game.stage, &game.times, &game.timeLeft, &game.moveNumber,
          &game.curPlayer, &game.cursorCol, &game.cursorRow, &game.points[0], &game.points[1],
          &game.discTotals[0], &game.discTotals[1], &game.level}) {
        *field = in.ConsumeIntegral<int>();
    }
    for (auto& cell : game.board.cells) {
        cell = in.ConsumeIntegral<korvel::CellCode>();
    }
    Check(korvel::ParseRecord(korvel::BuildRecord(game)).has_value(), "any game builds a record");
    return 0;
}
