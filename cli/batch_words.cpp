#include "batch_words.h"

#include <cstring>

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

class Splitter {
public:
    explicit Splitter(const std::string &text) : text_(text) {}

    SplitWords run() {
        while (pos_ < text_.size() && out_.result == SplitWords::kComplete) step();
        if (out_.result == SplitWords::kComplete && inWord_) out_.words.push_back(word_);
        return out_;
    }

private:
    void step() {
        char c = text_[pos_++];
        if (isOneOf(c, kBlanks)) {
            endWord();
        } else if (c == '#' && !inWord_) {
            skipComment();
        } else if (c == '\\') {
            backslash();
        } else if (c == '\'') {
            singleQuoted();
        } else if (c == '"') {
            doubleQuoted();
        } else if (isOneOf(c, kBadCharacters)) {
            out_.result = SplitWords::kBadCharacter;
        } else if (isOneOf(c, kExpansionCharacters)) {
            out_.result = SplitWords::kExpansion;
        } else {
            append(c);
        }
    }
    void endWord() {
        if (inWord_) out_.words.push_back(word_);
        word_.clear();
        inWord_ = false;
    }
    void append(char c) {
        word_ += c;
        inWord_ = true;
    }
    void skipComment() {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    }
    void backslash() {
        bool lastLine = pos_ + 1 >= text_.size();
        if (pos_ == text_.size() || (text_[pos_] == '\n' && lastLine)) {
            out_.result = SplitWords::kIncomplete;  // the command goes on in the next line
        } else if (text_[pos_] == '\n') {
            ++pos_;  // a line continuation
        } else {
            append(text_[pos_++]);
        }
    }
    void singleQuoted() {
        size_t end = text_.find('\'', pos_);
        if (end == std::string::npos) {
            out_.result = SplitWords::kIncomplete;
            return;
        }
        word_.append(text_, pos_, end - pos_);
        inWord_ = true;
        pos_ = end + 1;
    }
    void doubleQuoted() {
        inWord_ = true;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') return;
            if (isOneOf(c, kExpansionCharacters)) {
                out_.result = SplitWords::kExpansion;
                return;
            }
            if (c == '\\' && pos_ < text_.size() && isOneOf(text_[pos_], kDoubleQuoteEscapes)) {
                c = text_[pos_++];
                if (c == '\n') continue;
            }
            word_ += c;
        }
        out_.result = SplitWords::kIncomplete;
    }

    const std::string &text_;
    size_t pos_ = 0;
    std::string word_;
    bool inWord_ = false;
    SplitWords out_;
};

}  // namespace

SplitWords splitWords(const std::string &text) { return Splitter(text).run(); }

std::string quoteWord(const std::string &word) {
    bool plain = !word.empty();
    for (char c : word) plain = plain && isOneOf(c, kPlainCharacters);
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace cli
