// The computer's move on any board, level, move number and first player: a
// legal move of player 2 whenever it has one (the rules' own check), a pass
// only when it has none.
#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzSupport.h"
#include "opponent/ComputerMove.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    FuzzedDataProvider in(data, size);
    korvel::Board board;
    for (auto& cell : board.cells) {
        const auto byte = in.ConsumeIntegral<std::uint8_t>();
        cell = static_cast<korvel::CellCode>(byte == 0xFF ? 3 : byte % 3);  // 3: nobody's, blocked
    }
    const int level = in.ConsumeIntegral<int>(), moveNumber = in.ConsumeIntegral<int>(),
              firstPlayer = in.ConsumeIntegral<int>();
    korvel::SeededRandom random(in.ConsumeIntegral<std::uint32_t>());
    const auto move = korvel::ComputerMove(board, level, moveNumber, firstPlayer, random);
    const std::string cell = korvel::PlayedCell(board, move);
    if (!korvel::HasLegalMove(board, 2)) {
        Check(cell.empty(), "a pass when player 2 has no move");
        return 0;
    }
    Check(cell.size() == 2, "a cell when player 2 has a move");
    const int col = cell[0] - '0', row = cell[1] - '0';
    Check(korvel::OnBoard(col, row) && korvel::CountFlips(board, col, row, 2) > 0,
          "the cell is a legal move");
    return 0;
}
