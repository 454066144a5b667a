#include "TempFolder.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

namespace korvel::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempFolder::~TempFolder() {
    // A test may have made folders read-only: each is made writable again first.
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
    }
    std::filesystem::remove_all(m_path, ec);
}

std::map<std::filesystem::path, std::string> Snapshot(const std::filesystem::path& root) {
    std::map<std::filesystem::path, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        files[entry.path()] = entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
    }
    return files;
}

WithoutPermissionOverride::WithoutPermissionOverride() {
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    if (syscall(SYS_capget, &head, caps) == 0) {
        std::memcpy(m_saved, caps, sizeof caps);
        caps[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        m_changed = syscall(SYS_capset, &head, caps) == 0;
    }
}

WithoutPermissionOverride::~WithoutPermissionOverride() {
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    std::memcpy(caps, m_saved, sizeof caps);
    if (m_changed) {
        syscall(SYS_capset, &head, caps);
    }
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> DataLines(const std::string& name) {
    const char* data = std::getenv("KORVEL_TEST_DATA");  // unset: an empty list, not a crash
    std::istringstream in(data ? ReadBytes(std::filesystem::path(data) / name) : "");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace korvel::testing
