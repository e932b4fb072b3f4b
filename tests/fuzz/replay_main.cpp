// Runs a fuzz harness over corpus files without libFuzzer, so the normal
// build replays every seed and every regression input through the same
// property checks.  Arguments: files or folders of files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

void collect(const std::filesystem::path &path, std::vector<std::filesystem::path> *inputs) {
    if (!std::filesystem::is_directory(path)) {
        inputs->push_back(path);
        return;
    }
    for (const auto &entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) inputs->push_back(entry.path());
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) collect(argv[i], &inputs);
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        fprintf(stderr, "no corpus inputs given\n");
        return 1;
    }
    for (const auto &input : inputs) {
        std::ifstream file(input, std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        fprintf(stderr, "replaying %s\n", input.c_str());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    fprintf(stderr, "replayed %zu inputs\n", inputs.size());
    return 0;
}
