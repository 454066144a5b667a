#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"

namespace korvel {

// Small routines shared by every part of the program. Texts handled here are
// byte strings in the file's own encoding (the 8-bit code page for the
// settings, read-me and start-position files, raw bytes for saved games);
// callers convert with TextCodec where they need UTF-8.

// Every read is bounded by what its file can hold: a file above `maxBytes` is
// not one of ours (a stray film named like a saved game, a runaway settings
// file) and reads as unreadable, without the program's memory following its size.

// The whole file, lines joined by CR LF, without a final CR LF. A missing,
// unreadable or oversized file gives an empty text. Lines end at CR LF, a lone
// CR or a lone LF.
std::string ReadTextFile(const std::filesystem::path& path, std::size_t maxBytes);

// The lines of a file's bytes; lines end at CR LF, a lone CR or a lone LF.
std::vector<std::string> SplitLines(const std::string& data);

// The whole file as bytes; false when it is missing, not a regular file,
// unreadable or longer than `maxBytes` (then `out` is left empty).
bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::size_t maxBytes);

// What a write does when the file's own name is a symbolic link.
enum class AtLink {
    Replace,  // the link is replaced by the new file (the target is left alone)
    Follow,   // the link's target is replaced, in its own folder; the link stays
};

// Writes `text` followed by CR LF, creating or replacing the file. The old file
// stays whole until the new one is complete (written beside it, then renamed
// over it). Returns false when the file could not be written.
bool WriteTextFile(const std::filesystem::path& path, std::string_view text,
                   AtLink atLink = AtLink::Replace);

// Writes `bytes` exactly and durably: into "<name>.tmp" beside the file,
// synced to the disk, renamed over the file, and the folder synced. A crash or
// a power cut leaves the old file or the new one, never a mix. Returns false
// when any step fails; a failure before the rename leaves the old file
// untouched and no temporary file behind; a failure to sync the folder after
// it means the new content is in place but may not survive a power cut.
//
// Whatever lies at the temporary name is removed first and the temporary file
// is then created anew, never through a link planted there. A file that is
// replaced keeps its permission bits; one without any write permission (made
// read-only on purpose) is not replaced and the write fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         AtLink atLink = AtLink::Replace);

// Reads one line into each element of `lines`, from the first element on. A
// short file leaves the remaining elements empty; so does an unreadable one or
// one above `maxBytes`.
void ReadTextLines(const std::filesystem::path& path, std::vector<std::string>& lines,
                   std::size_t maxBytes);

// Names (without the folder) of the regular files in `folder` that match
// `pattern` ("*" any run, "?" one character; ASCII letters match without
// regard to case). Sorted so that runs of digits compare as numbers: lok2
// comes before lok10. A missing folder gives an empty list.
std::vector<std::string> ListFiles(const std::filesystem::path& folder, std::string_view pattern);

// Wildcard match used by ListFiles.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Natural order: true when `a` sorts before `b`.
bool NaturalLess(std::string_view a, std::string_view b);

// The Russian plural form for a count: 0 after one (1, 21, 101), 1 after two
// to four (2, 23, 34), 2 otherwise (0, 5..20, 111).
int PluralForm(std::int32_t n);

// Swaps the character codes 32..143 with 144..255 (c + 112 and c - 112);
// codes below 32 stay. Its own inverse; saved games are stored through it.
std::string SwapCodes(std::string_view text);

// The program's one stopwatch on the clock service. read(0) sets the start mark
// and returns 0; read(1), read(2), read(3) return the hours, minutes and
// seconds of the whole seconds elapsed since the mark (rounded half to even);
// any other selector returns 0.
class Stopwatch {
  public:
    explicit Stopwatch(const Clock& clock) : m_clock(clock), m_mark(clock.tickCount()) {}
    std::int32_t read(int selector);

  private:
    const Clock& m_clock;
    std::int64_t m_mark;
};

// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
std::int64_t RoundHalfEven(double value);

}  // namespace korvel
