// The start-position file: whatever it holds, the board gets only discs of
// players 1 and 2 and the first player is 1 or 2.
#include <algorithm>

#include "FuzzSupport.h"
#include "records/StartPosition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    korvel::Board board;
    const int first =
        korvel::ReadStartPosition(korvel::fuzz::WriteScratch("start.txt", bytes), board);
    Check(first == 1 || first == 2, "the first player is 1 or 2");
    Check(std::all_of(board.cells.begin(), board.cells.end(),
                      [](auto c) { return c >= 0 && c <= 2; }),
          "only discs of the two players");
    return 0;
}
