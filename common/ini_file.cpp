#include "ini_file.h"

#include <cstring>

#include "text.h"

namespace trvns {
namespace {

// The next line of `text` from `*offset`, without its newline, cut at its
// first NUL and at `limit` bytes (0: no limit); the rest of a longer line is
// skipped.  False at the end of the text.
bool nextLine(const std::string &text, size_t limit, size_t *offset, std::string *line) {
    if (*offset >= text.size()) return false;
    size_t newline = text.find('\n', *offset);
    size_t end = newline == std::string::npos ? text.size() : newline;
    size_t length = end - *offset;
    if (limit != 0 && length > limit) length = limit;
    line->assign(text, *offset, length);
    size_t nul = line->find('\0');
    if (nul != std::string::npos) line->resize(nul);
    *offset = newline == std::string::npos ? text.size() : newline + 1;
    return true;
}

std::string cut(const std::string &text, size_t limit) {
    return limit != 0 && text.size() > limit ? text.substr(0, limit) : text;
}

}  // namespace

void visitIni(const std::string &text, const IniLimits &limits, const IniVisitor &visit) {
    std::string section;
    std::string line;
    size_t offset = 0;
    while (nextLine(text, limits.line, &offset, &line)) {
        std::string entry = trimmed(line);
        if (entry.empty() || entry[0] == '#' || entry[0] == ';') continue;
        if (entry[0] == '[') {
            std::string name = entry.substr(1, entry.find(']', 1) - 1);
            if (!name.empty()) section = cut(name, limits.section);
            continue;
        }
        size_t equals = entry.find('=');
        if (equals == 0 || equals == std::string::npos || equals + 1 == entry.size()) continue;
        if (limits.key != 0 && equals > limits.key) continue;
        std::string key = trimmed(entry.substr(0, equals));
        std::string value = trimmed(cut(entry.substr(equals + 1), limits.value));
        if (!visit(section, key, value)) return;
    }
}

bool findIniValue(const std::string &text, const IniLimits &limits, const std::string &section,
                  const std::string &key, std::string *value) {
    bool found = false;
    visitIni(text, limits, [&](const std::string &s, const std::string &k, const std::string &v) {
        if (s != section || k != key) return true;
        *value = v;
        found = true;
        return false;
    });
    return found;
}

void visitKeyValues(const std::string &text, size_t lineLimit, KeySplit split, const KeyValueVisitor &visit) {
    std::string line;
    size_t offset = 0;
    while (nextLine(text, lineLimit, &offset, &line)) {
        std::string entry = trimmed(line);
        if (entry.empty() || entry[0] == '#') continue;
        size_t equals = split == KeySplit::kFirstEquals ? entry.find('=') : entry.rfind('=');
        if (equals == std::string::npos) continue;
        if (!visit(trimmed(entry.substr(0, equals)), trimmed(entry.substr(equals + 1)))) return;
    }
}

}  // namespace trvns
