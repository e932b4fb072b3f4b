// What stored texts may hold and how a text is written into a log line.
// A stored name, path, target, trustee or attribute text ends up on an
// administrator's terminal and in the audit trail: it must not carry a
// character that ends a line (for a reader that splits lines as Unicode
// does), moves the cursor or reorders what is shown around it.
#ifndef TRVNS_SERVER_PRINTABLE_TEXT_H
#define TRVNS_SERVER_PRINTABLE_TEXT_H

#include <string>

namespace nsserver {

// True for the C0 controls, DEL, the C1 controls, the line and paragraph
// separators U+2028/U+2029 and the bidirectional embeddings, overrides and
// isolates (U+202A to U+202E, U+2066 to U+2069).
bool isUnprintable(char32_t character);

// True when `text` holds such a character or is not well-formed UTF-8.
bool holdsUnprintable(const std::string &text);

// `text` in double quotes for a log line: '"' and '\' escaped by a
// backslash, C0 controls and DEL written \xHH, the other unprintable
// characters \uHHHH, and every byte that is not part of well-formed UTF-8
// \xHH.  Everything else is copied as it is.
std::string quotedForLog(const std::string &text);

}  // namespace nsserver

#endif
