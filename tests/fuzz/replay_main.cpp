// Stands in for libFuzzer in the normal build: feeds every file of the
// folders named on the command line to the fuzz target once, so the seed
// corpus runs with every test run.
//   fuzz_replay_NAME CORPUS_DIR...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char *argv[])
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::set<std::filesystem::path> inputs; // sorted, so a failure names the same file each run
    for (int i = 1; i < argc; ++i)
        for (const auto &entry : std::filesystem::directory_iterator(argv[i]))
            inputs.insert(entry.path());
    for (const auto &path : inputs) {
        std::fprintf(stderr, "%s\n", path.c_str()); // the last name printed is the input that failed
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
