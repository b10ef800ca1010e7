// Runs the fuzz target over every file of the folders given, without libFuzzer, so that the
// corpus and the kept crash inputs are checked on every test run. Fails when a folder is
// missing, when there is nothing to replay, or when no input loads (a corpus the reader
// refuses as a whole tests nothing beyond the first few bytes).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Counted by the target: inputs that loaded in lenient mode.
extern std::size_t fuzzInputsAccepted;

int main(int argc, char** argv) {
    std::size_t files = 0;
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_directory(argv[i], ec)) {
            std::fprintf(stderr, "no such folder: %s\n", argv[i]);
            ++missing;
            continue;
        }
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], ec)) {
            if (entry.is_regular_file(ec) && entry.path().filename() != "README.md") {
                paths.push_back(entry.path());
            }
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
            std::vector<std::uint8_t> bytes(raw.begin(), raw.end());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++files;
        }
    }
    std::printf("replayed %zu inputs, %zu loaded\n", files, fuzzInputsAccepted);
    if (files == 0) {
        std::fprintf(stderr, "nothing to replay\n");
        return 1;
    }
    if (fuzzInputsAccepted == 0) {
        std::fprintf(stderr, "no input loaded\n");
        return 1;
    }
    return missing == 0 ? 0 : 1;
}
