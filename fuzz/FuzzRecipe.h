#pragma once
// What the fuzz targets share: a reader that turns the input bytes into choices, and a loud failure.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzing {

[[noreturn]] inline void fail(const char* target, const char* what) {
    std::fprintf(stderr, "%s fuzz: %s\n", target, what);
    std::abort();
}

// Reads the input byte by byte; past its end every read gives 0.
class Recipe {
  public:
    Recipe(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return pos_ >= size_; }
    uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
    int32_t next32() {
        return int32_t(uint32_t(next()) | uint32_t(next()) << 8 | uint32_t(next()) << 16 |
                       uint32_t(next()) << 24);
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace fuzzing
