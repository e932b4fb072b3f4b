// The words of one batch command, split as a POSIX shell splits them
// (blanks, single and double quotes, backslashes, "#" comments) with no
// expansion of any kind, and the quoting that gives a word back unchanged.
#ifndef QTRVNS_BATCH_WORDS_H
#define QTRVNS_BATCH_WORDS_H

#include <string>
#include <vector>

namespace cli {

struct SplitWords {
    enum Result { kComplete, kIncomplete, kBadCharacter, kExpansion };
    Result result = kComplete;
    std::vector<std::string> words;
};

// Splits `text`, which may span several lines.  kIncomplete: an open quote
// or a final backslash asks for the next line.  Unquoted | & ; < > ( ) { }
// are refused as kBadCharacter, and unquoted or double-quoted $ and ` as
// kExpansion, since nothing is expanded.
SplitWords splitWords(const std::string &text);

// The word as a shell reads it back: as it is when it needs no quoting,
// else in single quotes (a quote inside becoming '\'').
std::string quoteWord(const std::string &word);

}  // namespace cli

#endif
