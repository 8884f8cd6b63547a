// Copying one file to a new name, never over an existing one.
//
// The production run copies every record file into a working folder under a fixed name before
// it is packed. Two attachments that map to one name must stop the run rather than let the
// second replace the first, so the copy refuses an existing target with the system's own
// "The specified file already exists". The copy carries what a Windows copy carries: the
// source's last-write time and read-only state; on Windows every new file also gets the
// archive attribute, which the cabinet builder requires (here every regular file has it).
// The copy is created with the user's umask, since it holds a medical record.
//
// A record file another program is still writing would be copied as far as it got. Windows
// refuses to copy a file another program holds open for writing; POSIX has no such rule, so
// the copy tells what it saw of the source: its size and last-write time when it began, and
// whether they changed while it was read. The caller compares the stamp again later.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tessaro::platform {

inline constexpr const char* kFileExistsText = "The specified file already exists";

// What tells that a file changed: its size and its last-write time to the system's full
// precision (nanoseconds here, 100 ns on Windows).
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file `path` names (links followed); nothing when there is no such file.
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

struct CopiedSource {
    FileStamp stamp;       // the source's when the copy began
    bool changed = false;  // its stamp, or the number of bytes read, differed at the end
};

// Copies `from` to `to`, which must not exist. Throws tessaro::Error: kFileExistsText when
// `to` exists, else the cannot-open, cannot-create or cannot-write text with the system's
// reason. A copy that fails halfway is removed; a copy whose source changed is kept (the
// caller decides).
CopiedSource copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace tessaro::platform
