#pragma once

#include <filesystem>
#include <string_view>

namespace korvel {

// The one call into the operating system that the file routines below the
// platform need; the platform floor gives it, each system its own way.
//
// Replaces the regular file `target` (no link is followed) with `bytes`
// through a temporary file beside it, so that a crash, a power cut or a full
// disk leaves either the old file or the new one, whole; a file made
// read-only is not replaced. False when nothing was written.
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

}  // namespace korvel
