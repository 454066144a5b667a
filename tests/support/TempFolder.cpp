#include "TempFolder.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace korvel::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "korvel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
}

TempFolder::~TempFolder() {
    // A test may have made folders read-only: each is made writable again first.
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all,
                        fs::perm_options::add | fs::perm_options::nofollow, ec);
    }
    fs::remove_all(m_path, ec);
}

std::map<fs::path, std::string> Snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
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

}  // namespace korvel::testing
