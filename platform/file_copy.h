// Copying one file to a new name, never over an existing one.
//
// The production run copies every record file into a working folder under a fixed name before
// it is packed. Two attachments that map to one name must stop the run rather than let the
// second replace the first, so the copy refuses an existing target with the system's own
// "The specified file already exists". The copy carries what a Windows copy carries: the
// source's last-write time and read-only state; on Windows every new file also gets the
// archive attribute, which the cabinet builder requires (here every regular file has it).
// The copy is created with the user's umask, since it holds a medical record.
#pragma once

#include <filesystem>

namespace tessaro::platform {

inline constexpr const char* kFileExistsText = "The specified file already exists";

// Copies `from` to `to`, which must not exist. Throws tessaro::Error: kFileExistsText when
// `to` exists, else the cannot-open, cannot-create or cannot-write text with the system's
// reason. A copy that fails halfway is removed.
void copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tessaro::platform
