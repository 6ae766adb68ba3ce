// A list of input files kept in a file (quarn-cli's --files-from), for more files than a
// command line holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

inline constexpr uint64_t kMaxFileListBytes = uint64_t{256} << 20;
inline constexpr size_t kMaxFileListLine = size_t{64} << 10;

// Appends the names of the list file at path to *names: one per line (LF or CR LF), empty
// lines skipped, a UTF-8 byte order mark at the start skipped. Refuses, adding nothing: a path
// that is not a regular file (a folder, a pipe or a device, which could wait or never end), a
// file over kMaxFileListBytes, a line over kMaxFileListLine bytes.
Status ReadFileList(FileSystem& fs, const std::string& path, std::vector<std::string>* names);

}  // namespace quarn
