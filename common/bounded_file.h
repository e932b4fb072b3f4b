// Whole-file reads with a size limit, for every file the toolset reads:
// only a regular file is read, and only when it is no longer than the limit,
// so a FIFO never blocks and a device such as /dev/zero never fills memory.
#ifndef TRVNS_BOUNDED_FILE_H
#define TRVNS_BOUNDED_FILE_H

#include <cstddef>
#include <string>

namespace trvns {

// Configuration files (INI, tree-name file) and PEM files.
constexpr size_t kConfigFileLimit = size_t{1} << 20;
// The user table may list many users.
constexpr size_t kUserTableLimit = size_t{16} << 20;

// Reads the regular file `path` into `contents` when it holds at most
// `limit` bytes.  On failure returns false and sets `reason` (if given) to
// why: the strerror text of a failed open or read, or the refusal of a file
// that is not regular or is too long.  Refusals and read errors are logged
// with the path; a failed open is not (callers treat it as a missing file),
// and sets `*openFailed` (if given) to true.
bool readBoundedFile(const char *path, size_t limit, std::string *contents, std::string *reason = nullptr,
                     bool *openFailed = nullptr);

// The same read for callers that stop on failure: the contents, or throws
// std::runtime_error(`failure` + path), followed by ": " and the reason when
// the file opened but was refused.  A file that cannot be opened keeps the
// plain line.
std::string readBoundedFileOrThrow(const std::string &path, size_t limit, const std::string &failure);

// The next piece of `text` from `*offset`, as fgets would read it into a
// buffer of `size` bytes: at most size - 1 bytes, up to and including a
// newline, then a NUL.  Returns the number of bytes copied; 0 at the end.
size_t nextLinePiece(const std::string &text, size_t *offset, char *line, size_t size);

// Moves `*offset` past the next newline (or to the end of `text`).
void skipRestOfLine(const std::string &text, size_t *offset);

}  // namespace trvns

#endif
