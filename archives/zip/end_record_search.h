// Finding the end-of-central-directory record from the end of an archive file.
//
// The record is 22 bytes plus a comment of up to 65,535 bytes, and other data may follow
// it, so its position is not fixed. The common case (no comment, nothing after) is settled
// by the last 22 bytes alone; otherwise windows that double in size (512 bytes up to
// 64 KiB) are searched backwards, each window overlapping the next by 22 bytes so that no
// record is missed at a window border. In a window only the highest signature counts: it is
// accepted when its comment fits into the bytes after it, and a rejected one sends the
// search on to the next window.
#pragma once

#include "platform/random_access_file.h"

#include <cstdint>
#include <optional>

namespace tessaro::archives::zip {

inline constexpr size_t kFirstSearchWindow = 512;
inline constexpr size_t kLargestSearchWindow = 65536;

// The offset of the end record in `file`; nothing when it has none.
std::optional<std::uint64_t> findEndRecord(const platform::RandomAccessFile& file);

}  // namespace tessaro::archives::zip
