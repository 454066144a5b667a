#pragma once

#include <cstdint>
#include <map>

#include "Golden.h"

namespace korvel::testing {

// A fresh, empty folder under the system's temporary folder, removed with its
// contents when the object goes away. Used as the program folder of a test.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& p) const { return m_path / p; }

  private:
    std::filesystem::path m_path;
};

// Every file and folder under `root`: a file with its bytes, a folder as "<folder>".
std::map<std::filesystem::path, std::string> Snapshot(const std::filesystem::path& root);

// For its life, this thread is refused what the permissions refuse, even as
// root (whose override is taken away and given back), as a player would be.
class WithoutPermissionOverride {
  public:
    WithoutPermissionOverride();
    ~WithoutPermissionOverride();
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

  private:
    std::uint32_t m_saved[6] = {};  // the capability sets as they were
    bool m_changed = false;
};

}  // namespace korvel::testing
