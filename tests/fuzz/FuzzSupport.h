#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// What the fuzz targets share: a property check that stops the run, and a
// scratch folder for readers that take a file (in memory when /dev/shm is
// there, so that each run stays fast), removed when the run ends.
namespace korvel::fuzz {

inline void Check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", property);
        std::abort();
    }
}

inline std::filesystem::path ScratchFile(const std::string& name) {
    struct Folder {
        std::filesystem::path path;
        Folder() {
            std::error_code ec;
            const std::filesystem::path shm = "/dev/shm";
            path =
                (std::filesystem::is_directory(shm, ec) ? shm
                                                        : std::filesystem::temp_directory_path()) /
                ("korvel-fuzz-" + std::to_string(getpid()));
            std::filesystem::create_directories(path);
        }
        ~Folder() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return folder.path / name;
}

inline std::filesystem::path WriteScratch(const std::string& name, std::string_view bytes) {
    const auto path = ScratchFile(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace korvel::fuzz
