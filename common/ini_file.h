// The one reader of the toolset's INI and key=value files, on top of the
// bounded file read (bounded_file.h).  The library's configuration lookup,
// the plug-in (through it), the program's tree-name lookup, the identity
// library's user table and the server's configuration all parse with it.
#ifndef TRVNS_INI_FILE_H
#define TRVNS_INI_FILE_H

#include <cstddef>
#include <functional>
#include <string>

namespace trvns {

// How long each part of an INI line may be; 0 is no limit.
struct IniLimits {
    size_t line;     // a longer line is cut here; its rest is dropped, never read as a line
    size_t section;  // a longer section name is cut
    size_t key;      // a line with a longer key is skipped
    size_t value;    // a longer value is cut (before trimming)
};
// The fixed buffers of the library's getConfigValue: a 255-character line,
// 63-character section and key names, a 127-character value.
constexpr IniLimits kLibraryIniLimits{255, 63, 63, 127};
constexpr IniLimits kUnlimitedIni{0, 0, 0, 0};

// Called with each setting in file order; return false to stop.
using IniVisitor = std::function<bool(const std::string &section, const std::string &key, const std::string &value)>;

// The INI grammar.  Each line is trimmed (isspace); blank lines and lines
// starting with '#' or ';' are skipped.  "[name" up to ']' (or the line's
// end) opens a section; the name is not trimmed, and an empty one ("[]")
// leaves the previous section in force.  Lines before the first header
// belong to section "".  Any other line is "key=value", split at the first
// '='; key and value are trimmed, the value keeps inner blanks, further '='
// and trailing remarks.  A line without '=', with nothing before it or with
// nothing after it is skipped.  A NUL byte ends its line.
void visitIni(const std::string &text, const IniLimits &limits, const IniVisitor &visit);

// The first value of `key` in `section` (also across repeated sections);
// false when there is none.  Names match case-sensitively.
bool findIniValue(const std::string &text, const IniLimits &limits, const std::string &section,
                  const std::string &key, std::string *value);

// Where a key=value line is split when the key may itself hold '='.
enum class KeySplit { kFirstEquals, kLastEquals };

// Plain key=value files without sections.  Each line (cut at `lineLimit`
// bytes, 0: no limit; the rest of a longer line is dropped) is trimmed;
// blank lines and '#' lines are skipped, as is a line without '='.  Key and
// value are trimmed; the value may be empty.  Return false to stop.
using KeyValueVisitor = std::function<bool(const std::string &key, const std::string &value)>;
void visitKeyValues(const std::string &text, size_t lineLimit, KeySplit split, const KeyValueVisitor &visit);

}  // namespace trvns

#endif
