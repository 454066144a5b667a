#pragma once

#include <filesystem>

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

// Whole file as bytes; empty when missing.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace korvel::testing
