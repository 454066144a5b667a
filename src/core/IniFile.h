#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The settings file, "Korvel.ini": an INI file in the 8-bit code page with
// CR LF line ends, read key by key and written key by key.
//
// Section and key names compare without regard to case. A missing file,
// section or key reads as "0"; a value is cut at 254 characters. Writing
// replaces an existing key's value in place, appends a new key at the end of
// its section and a new section at the end of the file, and never leaves a
// half-written file behind. Texts in and out are UTF-8.

// The largest settings file read, 1 MiB: the program's own file is under
// 200 bytes and a hand-kept one with every key, a 254-character value each and
// comments stays far below; a larger file reads as unreadable (every key "0")
// and is never replaced. Reading it whole for each key stays cheap.
inline constexpr std::size_t kMaxSettingsBytes = 1024 * 1024;

std::string GetIni(const std::filesystem::path& path, std::string_view section,
                   std::string_view key);
// The value of a key that is there, none for a missing file, section or key.
std::optional<std::string> FindIni(const std::filesystem::path& path, std::string_view section,
                                   std::string_view key);

// CR and LF are removed from `value`. Returns false when the file could not be
// written (the game goes on with its values in memory).
bool WriteIni(const std::filesystem::path& path, std::string_view section, std::string_view key,
              std::string_view value);

// A stored value as a number: its leading decimal number (0 when it has none),
// rounded half to even, clamped to the 16-bit signed range.
std::int16_t IniNumber(std::string_view value);

// The one settings file of the program, at a path fixed at start-up.
class Settings {
  public:
    explicit Settings(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& path() const { return m_path; }
    bool exists() const;

    std::string GetIni(std::string_view section, std::string_view key) const;
    // Whether the key is there at all (a missing one reads as "0").
    bool HasKey(std::string_view section, std::string_view key) const;
    std::int16_t GetNumber(std::string_view section, std::string_view key) const;
    bool SetIni(std::string_view section, std::string_view key, std::string_view value);
    bool SetNumber(std::string_view section, std::string_view key, int value);

    // Writes the default file, key by key.
    void CreateIni();

  private:
    std::filesystem::path m_path;
};

}  // namespace korvel
