// Stand-alone driver for the fuzz targets when libFuzzer is not used: feeds the target random inputs and
// mutations of earlier inputs for a bounded time, so a short fuzz run works with any compiler.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    double seconds = 5;
    std::vector<std::vector<uint8_t>> pool;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::stod(argv[++i]);
        } else {
            std::ifstream in(argv[i], std::ios::binary);
            pool.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    for (const auto& input : pool)
        LLVMFuzzerTestOneInput(input.data(), input.size());
    std::mt19937_64 rng(0x0da7a);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<uint8_t> input;
        if (!pool.empty() && rng() % 4 != 0) {
            input = pool[rng() % pool.size()];
            const int edits = 1 + static_cast<int>(rng() % 8);
            for (int e = 0; e < edits; ++e) {
                const auto kind = rng() % 4;
                if (kind == 0 || input.empty())
                    input.insert(input.begin() + (input.empty() ? 0 : rng() % input.size()), uint8_t(rng()));
                else if (kind == 1)
                    input.erase(input.begin() + rng() % input.size());
                else if (kind == 2)
                    input[rng() % input.size()] = uint8_t(rng());
                else
                    input.resize(rng() % (input.size() + 1));
            }
        } else {
            input.resize(rng() % 1024);
            for (auto& b : input)
                b = uint8_t(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
        if (pool.size() < 256)
            pool.push_back(input);
        else
            pool[rng() % pool.size()] = input;
        ++runs;
    }
    std::printf("fuzz driver: %ld runs in %.1f s, no crash\n", runs, seconds);
    return 0;
}
