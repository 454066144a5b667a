#include "records/StartPosition.h"

#include <string>
#include <system_error>
#include <vector>

#include "core/CommonRoutines.h"
#include "core/IniFile.h"

namespace korvel {

int ReadStartPosition(const std::filesystem::path& file, Board& board) {
    std::vector<std::string> lines(3);
    ReadTextLines(file, lines, kMaxStartPositionBytes);
    for (int player = 1; player <= 2; ++player) {
        const std::string& line = lines[static_cast<std::size_t>(player - 1)];
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t end = line.find(' ', start);
            if (end == std::string::npos) {
                end = line.size();
            }
            const std::string piece = line.substr(start, end - start);
            start = end + 1;
            if (piece.empty()) {
                continue;
            }
            const int col = static_cast<unsigned char>(piece.front()) - 96;
            const char last = piece.back();
            const int row = (last >= '0' && last <= '9') ? last - '0' : 0;
            if (OnBoard(col, row)) {
                board.at(col, row) = static_cast<CellCode>(player);
            }
        }
    }
    // Without a disc of each player the game would be over before it starts:
    // such a file is damaged, and the standard position is played instead.
    if (IsGameOver(CountDiscs(board), 0)) {
        SetStandardPosition(board);
        return 1;
    }
    const int first = IniNumber(lines[2]);
    return first == 2 ? 2 : 1;
}

std::optional<std::pair<Board, int>> StartFileIn(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / "start.txt";
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    Board board;
    const int first = ReadStartPosition(file, board);
    return std::pair{board, first};
}

}  // namespace korvel
