#include "records/SavedGameRecord.h"

#include <algorithm>

#include "core/CommonRoutines.h"

namespace korvel {
namespace {

struct Field {
    std::size_t width;
    bool hex;
    int min;
    int max;
};

// Field layout after the record's first character; the board follows.
enum FieldIndex {
    kGame,
    kTip,
    kTur,
    kTimes,
    kTimeLeft,
    kHod,
    kCurPlayer,
    kCursorCol,
    kCursorRow,
    kPoints1,
    kPoints2,
    kTotals1,
    kTotals2,
    kLevel,
    kFieldCount
};

// Widths and forms are those of the stored record. The ranges are the values
// the board can handle: ten minutes per move at most, nine games a match
// (18 points, 64 x (1 + .. + 9) = 2880 weighted discs at most).
constexpr std::array<Field, kFieldCount> kFields = {{
    {1, false, 1, 2},    // Game
    {1, false, 1, 4},    // Tip
    {1, false, 1, 9},    // Tur
    {6, true, 0, 600},   // Times
    {3, true, 0, 600},   // TimeLeft
    {2, false, 0, 99},   // Hod
    {1, false, 1, 2},    // CurPlayer
    {1, false, 1, 8},    // CursorCol
    {1, false, 1, 8},    // CursorRow
    {2, false, 0, 18},   // Points 1
    {2, false, 0, 18},   // Points 2
    {3, true, 0, 2880},  // DiscTotals 1
    {3, true, 0, 2880},  // DiscTotals 2
    {1, false, 0, 4},    // Level
}};

std::string Format(int value, const Field& field) {
    value = std::clamp(value, field.min, field.max);
    std::string digits;
    const int base = field.hex ? 16 : 10;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[value % base]);
        value /= base;
    } while (value > 0);
    if (digits.size() < field.width) {
        digits.insert(0, field.width - digits.size(), '0');
    }
    return digits;
}

std::optional<int> Parse(std::string_view text, const Field& field) {
    int value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (field.hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * (field.hex ? 16 : 10) + digit;
    }
    if (value < field.min || value > field.max) {
        return std::nullopt;
    }
    return value;
}

std::array<int, kFieldCount> ValuesOf(const SavedGame& g) {
    return {g.game,       g.gameType,      g.stage,         g.times,     g.timeLeft,
            g.moveNumber, g.curPlayer,     g.cursorCol,     g.cursorRow, g.points[0],
            g.points[1],  g.discTotals[0], g.discTotals[1], g.level};
}

}  // namespace

std::string BuildRecord(const SavedGame& game) {
    std::string record;
    record.reserve(kRecordLength);
    const auto values = ValuesOf(game);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        record += Format(values[i], kFields[i]);
    }
    for (const CellCode code : game.board.cells) {
        record += static_cast<char>('0' + std::clamp<int>(code, 0, 2));
    }
    return record;
}

std::optional<SavedGame> ParseRecord(std::string_view record) {
    if (record.size() != kRecordLength) {
        return std::nullopt;
    }
    std::array<int, kFieldCount> values{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const auto value = Parse(record.substr(pos, kFields[i].width), kFields[i]);
        if (!value) {
            return std::nullopt;
        }
        values[i] = *value;
        pos += kFields[i].width;
    }
    SavedGame game;
    game.game = values[kGame];
    game.gameType = values[kTip];
    game.stage = values[kTur];
    game.times = values[kTimes];
    game.timeLeft = values[kTimeLeft];
    game.moveNumber = values[kHod];
    game.curPlayer = values[kCurPlayer];
    game.cursorCol = values[kCursorCol];
    game.cursorRow = values[kCursorRow];
    game.points = {values[kPoints1], values[kPoints2]};
    game.discTotals = {values[kTotals1], values[kTotals2]};
    game.level = values[kLevel];
    for (std::size_t i = 0; i < game.board.cells.size(); ++i) {
        const char c = record[pos + i];
        if (c < '0' || c > '2') {
            return std::nullopt;
        }
        game.board.cells[i] = static_cast<CellCode>(c - '0');
    }
    return game;
}

std::filesystem::path GamesFolder(const std::filesystem::path& userFolder) {
    return userFolder / "Games";
}

std::string SlotFileName(int slot) {
    return "lok" + std::to_string(slot) + ".rsg";
}

std::string EncodeRecord(std::string_view record) {
    return SwapCodes(record);
}

std::string ReadSlotFile(const std::filesystem::path& file) {
    return SwapCodes(ReadTextFile(file, kMaxSlotFileBytes));
}

bool WriteSlotFile(const std::filesystem::path& file, std::string_view record) {
    return WriteTextFile(file, EncodeRecord(record));
}

std::optional<int> SlotNumber(std::string_view fileName) {
    constexpr std::string_view kPrefix = "lok";
    constexpr std::string_view kSuffix = ".rsg";
    constexpr std::size_t kMaxDigits = 6;
    if (fileName.size() <= kPrefix.size() + kSuffix.size() || !fileName.starts_with(kPrefix) ||
        !fileName.ends_with(kSuffix)) {
        return std::nullopt;
    }
    const std::string_view digits =
        fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size());
    if (digits.size() > kMaxDigits || digits.front() == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int slot = 0;
    for (const char c : digits) {
        slot = slot * 10 + (c - '0');
    }
    return slot;
}

bool SlotFile::valid() const {
    const std::optional<SavedGame> game = ParseRecord(record);
    return game.has_value() && !IsGameOver(CountDiscs(game->board), 0);
}

char SlotFile::stage() const {
    return record.size() >= 3 && record[2] >= '0' && record[2] <= '9' ? record[2] : 0;
}

std::vector<SlotFile> ListSlots(const std::filesystem::path& userFolder) {
    const std::filesystem::path folder = GamesFolder(userFolder);
    std::vector<SlotFile> slots;
    for (const std::string& name : ListFiles(folder, "lok*.rsg")) {
        if (const auto slot = SlotNumber(name)) {
            slots.push_back({*slot, ReadSlotFile(folder / name)});
        }
    }
    std::sort(slots.begin(), slots.end(),
              [](const SlotFile& a, const SlotFile& b) { return a.slot < b.slot; });
    return slots;
}

int NewSlot(const std::vector<SlotFile>& slots) {
    int highest = 0;
    for (const SlotFile& file : slots) {
        highest = std::max(highest, file.slot);
    }
    return highest + 1;
}

}  // namespace korvel
