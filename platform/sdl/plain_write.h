// Writing a whole file's bytes to a name as "> NAME" in a shell would, and never less safely.
#pragma once

#include <string>
#include <vector>

namespace tavrel::sdl {

// The kernel resolves the name (its link protections and permissions apply as to any program),
// and what it names decides the write:
// - a pipe, a character device or a socket takes the bytes through the descriptor opened;
// - a block device or a folder is refused;
// - a new file is made and, if any write fails, removed again;
// - an existing regular file is replaced by a file written whole beside it that takes its mode,
//   owner and group before it is renamed into place; where that cannot keep what the file is
//   (other links to it, a folder the caller cannot write, an owner the caller cannot give, a file
//   the process has open as a standard stream), it is written in place instead, its room reserved
//   first so that a full disk leaves it as it was.
// A temporary file is removed if the process is interrupted or terminated while writing it.
// Throws PlatformError("Couldn't write <path>: <reason>").
void WriteFileAsShellWould(const std::string& path, const std::vector<unsigned char>& bytes);

}
