// The batch word splitter and the quoting export writes with it.  Input:
// one byte for the mode, then the rest.  Even mode: the rest is the text
// of a batch command (the next byte also says where it is cut in two).
// Odd mode: the rest is words separated by NUL bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "batch_words.h"
#include "fuzz_check.h"

namespace {

using cli::SplitWords;

std::string quotedLine(const std::vector<std::string> &words) {
    std::string line;
    for (size_t i = 0; i < words.size(); ++i) line += (i ? " " : "") + cli::quoteWord(words[i]);
    return line + "\n";
}

// Quoting gives every word back, and a word that needs no quoting stays as
// it is.
void checkRoundTrip(const std::vector<std::string> &words) {
    SplitWords again = cli::splitWords(quotedLine(words));
    FUZZ_CHECK(again.result == SplitWords::kComplete);
    FUZZ_CHECK(again.words == words);
    for (const std::string &word : words) {
        std::string quoted = cli::quoteWord(word);
        FUZZ_CHECK(quoted == word || (quoted.size() >= word.size() + 2 && quoted.front() == '\''));
    }
}

void checkText(const std::string &text, size_t cut) {
    SplitWords whole = cli::splitWords(text);
    // A command that comes in pieces splits as the whole text.
    cli::WordSplitter splitter;
    splitter.feed(text.data(), cut);
    splitter.feed(text.data() + cut, text.size() - cut);
    SplitWords pieces = splitter.finish();
    FUZZ_CHECK(pieces.result == whole.result);
    FUZZ_CHECK(pieces.words == whole.words);
    switch (whole.result) {
    case SplitWords::kComplete:
        // Never more characters out than in, and what was split quotes back.
        {
            size_t length = 0;
            for (const std::string &word : whole.words) length += word.size();
            FUZZ_CHECK(length <= text.size());
        }
        checkRoundTrip(whole.words);
        break;
    case SplitWords::kIncomplete:
        FUZZ_CHECK(whole.words.empty());
        FUZZ_CHECK(text.find_first_of("'\"\\") != std::string::npos);
        break;
    case SplitWords::kBadCharacter:
        FUZZ_CHECK(whole.words.empty());
        FUZZ_CHECK(text.find_first_of("|&;<>(){}") != std::string::npos);
        break;
    case SplitWords::kExpansion:
        FUZZ_CHECK(whole.words.empty());
        FUZZ_CHECK(text.find_first_of("$`") != std::string::npos);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        checkText(rest, std::min<size_t>(data[1], rest.size()));
        return 0;
    }
    std::vector<std::string> words;
    for (size_t start = 0; start <= rest.size();) {
        size_t end = std::min(rest.find('\0', start), rest.size());
        words.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    checkRoundTrip(words);
    return 0;
}
