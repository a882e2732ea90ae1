// Replays a fuzz target's regression corpus with the normal compiler and no
// fuzzing engine: every file in the given directories (or the given files)
// goes through LLVMFuzzerTestOneInput once. A crash fails the run by itself;
// an input that takes longer than the bound (PELLAR_REPLAY_SECONDS, default
// 10) fails it too, so a hang that was fixed cannot come back unnoticed.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const char* boundText = std::getenv("PELLAR_REPLAY_SECONDS");
    const double bound = boundText ? std::atof(boundText) : 10.0;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const auto& entry : fs::directory_iterator(arg))
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                    inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "an empty corpus replays nothing\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    int slow = 0;
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-60s %8zu bytes %8.3f s\n", input.filename().c_str(), bytes.size(), seconds);
        if (seconds > bound) {
            std::fprintf(stderr, "%s took %.1f s, more than the %.1f s allowed\n", input.c_str(), seconds, bound);
            ++slow;
        }
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return slow == 0 ? 0 : 1;
}
