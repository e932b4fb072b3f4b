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

// Splits a command whose text comes in pieces (the lines of a batch file):
// every character is looked at once, however many lines a quoted word
// spans.  feed() says what the text so far makes: kIncomplete while an open
// quote or a final backslash asks for more.  Unquoted | & ; < > ( ) { } are
// refused as kBadCharacter, and unquoted or double-quoted $ and ` as
// kExpansion, since nothing is expanded; once refused, the rest of the text
// is not looked at.
class WordSplitter {
public:
    SplitWords::Result feed(const char *text, size_t length);
    // The words, once feed() said kComplete; the result otherwise.
    SplitWords finish();

private:
    enum class State { kUnquoted, kBackslash, kSingle, kDouble, kDoubleBackslash, kComment };

    void take(char c);
    void takeUnquoted(char c);
    void takeEscaped(char c);
    void takeInDouble(char c);
    void takeEscapedInDouble(char c);
    void append(char c);
    void endWord();
    SplitWords::Result resultSoFar() const;

    State state_ = State::kUnquoted;
    SplitWords::Result refused_ = SplitWords::kComplete;
    // A word has begun (it may still be empty: '' is a word).
    bool inWord_ = false;
    // A backslash-newline was the last thing taken: the command goes on.
    bool continued_ = false;
    std::string word_;
    std::vector<std::string> words_;
};

// Splits a whole command text at once.
SplitWords splitWords(const std::string &text);

// The word as a shell reads it back: as it is when it needs no quoting,
// else in single quotes (a quote inside becoming '\'').
std::string quoteWord(const std::string &word);

}  // namespace cli

#endif
