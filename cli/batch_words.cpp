#include "batch_words.h"

#include <cstring>
#include <utility>

namespace cli {
namespace {

constexpr char kBlanks[] = " \t\n";
constexpr char kBadCharacters[] = "|&;<>(){}";
constexpr char kExpansionCharacters[] = "$`";
// Backslash escapes only these inside double quotes, as in the shell.
constexpr char kDoubleQuoteEscapes[] = "$`\"\\\n";
// A word made only of these needs no quoting.
constexpr char kPlainCharacters[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:,+@%";

bool isOneOf(char c, const char *set) { return c != '\0' && strchr(set, c) != nullptr; }

}  // namespace

SplitWords::Result WordSplitter::feed(const char *text, size_t length) {
    for (size_t i = 0; i < length && refused_ == SplitWords::kComplete; ++i) take(text[i]);
    return resultSoFar();
}

SplitWords WordSplitter::finish() {
    SplitWords split;
    split.result = resultSoFar();
    if (split.result != SplitWords::kComplete) return split;
    endWord();
    split.words = std::move(words_);
    return split;
}

SplitWords::Result WordSplitter::resultSoFar() const {
    if (refused_ != SplitWords::kComplete) return refused_;
    switch (state_) {
    case State::kUnquoted:
    case State::kComment: return continued_ ? SplitWords::kIncomplete : SplitWords::kComplete;
    default: return SplitWords::kIncomplete;
    }
}

void WordSplitter::take(char c) {
    continued_ = false;
    switch (state_) {
    case State::kUnquoted: takeUnquoted(c); break;
    case State::kBackslash: takeEscaped(c); break;
    case State::kSingle:
        if (c == '\'') {
            state_ = State::kUnquoted;
        } else {
            word_ += c;
        }
        break;
    case State::kDouble: takeInDouble(c); break;
    case State::kDoubleBackslash: takeEscapedInDouble(c); break;
    case State::kComment:
        if (c == '\n') state_ = State::kUnquoted;
        break;
    }
}

void WordSplitter::takeUnquoted(char c) {
    if (isOneOf(c, kBlanks)) {
        endWord();
    } else if (c == '#' && !inWord_) {
        state_ = State::kComment;
    } else if (c == '\\') {
        state_ = State::kBackslash;
    } else if (c == '\'') {
        inWord_ = true;
        state_ = State::kSingle;
    } else if (c == '"') {
        inWord_ = true;
        state_ = State::kDouble;
    } else if (isOneOf(c, kBadCharacters)) {
        refused_ = SplitWords::kBadCharacter;
    } else if (isOneOf(c, kExpansionCharacters)) {
        refused_ = SplitWords::kExpansion;
    } else {
        append(c);
    }
}

// After an unquoted backslash: a newline continues the command on the next
// line (and the word, if one had begun); any other character is itself.
void WordSplitter::takeEscaped(char c) {
    state_ = State::kUnquoted;
    if (c == '\n') {
        continued_ = true;
    } else {
        append(c);
    }
}

void WordSplitter::takeInDouble(char c) {
    if (c == '"') {
        state_ = State::kUnquoted;
    } else if (isOneOf(c, kExpansionCharacters)) {
        refused_ = SplitWords::kExpansion;
    } else if (c == '\\') {
        state_ = State::kDoubleBackslash;
    } else {
        word_ += c;
    }
}

// After a backslash inside double quotes: it escapes only $ ` " \ and the
// newline (which it removes); before any other character it stays itself.
void WordSplitter::takeEscapedInDouble(char c) {
    state_ = State::kDouble;
    if (!isOneOf(c, kDoubleQuoteEscapes)) word_ += '\\';
    if (c != '\n') word_ += c;
}

void WordSplitter::append(char c) {
    word_ += c;
    inWord_ = true;
}

void WordSplitter::endWord() {
    if (inWord_) words_.push_back(std::move(word_));
    word_.clear();
    inWord_ = false;
}

SplitWords splitWords(const std::string &text) {
    WordSplitter splitter;
    splitter.feed(text.data(), text.size());
    return splitter.finish();
}

std::string quoteWord(const std::string &word) {
    bool plain = !word.empty();
    for (char c : word) plain = plain && isOneOf(c, kPlainCharacters);
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace cli
