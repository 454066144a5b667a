#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A property check that stops the run, and a scratch folder, removed when the
// run ends, for the readers that take a file.
namespace korvel::fuzz {

inline void Check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", property);
        std::abort();
    }
}

inline std::filesystem::path ScratchFile(const std::string& name) {
    static const struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("korvel-fuzz-" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() { std::filesystem::remove_all(path); }
    } folder;
    return folder.path / name;
}

inline std::filesystem::path WriteScratch(const std::string& name, std::string_view bytes) {
    const auto path = ScratchFile(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
    return path;
}

}  // namespace korvel::fuzz
