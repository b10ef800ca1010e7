// Runs the fuzz target once on every file of the folders (or files) given, so the corpus and
// the kept crash inputs are replayed as a regression test in every build, with or without
// libFuzzer. Each crash input must now fail cleanly. Fails when a folder is missing, when
// there is nothing to replay, or when the reader accepts none of the inputs (a corpus that no
// longer reaches the player tests nothing).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Counted by the target: inputs the reader accepted in at least one mode.
extern std::size_t fuzzInputsAccepted;

namespace {

int replayFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file(ec) && entry.path().filename().string()[0] != '.')
                    files.push_back(entry.path());
            for (const auto& f : files) {
                failures += replayFile(f);
                ++count;
            }
        } else if (std::filesystem::exists(arg, ec)) {
            failures += replayFile(arg);
            ++count;
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            ++failures;
        }
    }
    std::printf("replayed %d inputs, %zu accepted\n", count, fuzzInputsAccepted);
    if (count == 0) {
        std::fprintf(stderr, "nothing to replay\n");
        return 1;
    }
    if (fuzzInputsAccepted == 0) {
        std::fprintf(stderr, "no input was accepted by the reader\n");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
