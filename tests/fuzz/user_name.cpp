// User-name processing with the tree-name file.  The input is a user name,
// a NUL, and the contents of the tree-name file; without a NUL there is no
// tree-name file.  Runs in the private mount namespace of
// tests/support/isolate, where the tree-name file's folder is scratch.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "user_name.h"

namespace {

using Text = std::unique_ptr<char, decltype(&free)>;

void writeTreeFile(const std::string &content) {
    int fd = open(cli::kVelgardConfigPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()));
    close(fd);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isTrailingJunk(char c) { return isBlank(c) || c == '\r' || c == '\n'; }

// A tree name is one non-empty trimmed piece of a line of the file.
void checkTree(const char *tree, const std::string &file) {
    size_t length = strlen(tree);
    FUZZ_CHECK(length >= 1 && length < 512);
    FUZZ_CHECK(!isBlank(tree[0]));
    FUZZ_CHECK(!isTrailingJunk(tree[length - 1]));
    FUZZ_CHECK(strchr(tree, '\n') == nullptr);
    FUZZ_CHECK(file.find(tree) != std::string::npos);
}

// The dotted form of a DN: a leading '.', one value per component.
void checkDotted(const char *dotted, const char *dn) {
    size_t commas = 0;
    for (const char *p = dn; *p; ++p) commas += *p == ',';
    FUZZ_CHECK(dotted[0] == '.');
    FUZZ_CHECK(strlen(dotted) <= strlen(dn) + commas + 2);
}

bool isLdapDn(const std::string &name) { return name.compare(0, 3, "CN=") == 0 || name.compare(0, 3, "cn=") == 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (getenv("TRVNS_ISOLATED") == nullptr) {
        fprintf(stderr, "run this harness through tests/support/isolate\n");
        exit(1);
    }
    fuzzSilenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string input(reinterpret_cast<const char *>(data), size);
    size_t split = input.find('\0');
    std::string name = input.substr(0, split);
    std::string file = split == std::string::npos ? std::string() : input.substr(split + 1);
    if (split == std::string::npos) {
        unlink(cli::kVelgardConfigPath);
    } else {
        writeTreeFile(file);
    }

    Text tree(cli::getVelgardTree(), free);
    if (tree != nullptr) checkTree(tree.get(), file);
    Text canonical(cli::processUserName(name.c_str()), free);
    if (name.empty()) {
        FUZZ_CHECK(canonical == nullptr);
        return 0;
    }
    // Dotted and domain names are taken as they are, tree or no tree.
    if (name[0] == '.' || name.find('\\') != std::string::npos) {
        FUZZ_CHECK(canonical != nullptr && name == canonical.get());
        return 0;
    }
    FUZZ_CHECK((tree != nullptr) == (canonical != nullptr));
    if (tree == nullptr) return 0;
    std::string expected;
    if (isLdapDn(name)) {
        Text dotted(cli::convertLdapDnToDottedFormat(name.c_str()), free);
        FUZZ_CHECK(dotted != nullptr);
        checkDotted(dotted.get(), name.c_str());
        expected = std::string(dotted.get()) + "." + tree.get() + ".";
    } else {
        expected = "." + name + "." + tree.get() + ".";
    }
    FUZZ_CHECK(expected == canonical.get());
    FUZZ_CHECK(canonical.get()[0] == '.' && expected.back() == '.');
    return 0;
}
