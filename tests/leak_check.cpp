// Leaks a block from our own code on purpose. The sanitizer run must report it: leak checks are on, and no
// suppression reaches a frame of ours.
#include <cstdio>
#include <cstring>

namespace {

char* gKept = nullptr;

__attribute__((noinline)) void leakABlockOnPurpose() {
    char* block = new char[64];
    std::strcpy(block, "forgotten");
    std::puts(block);
    gKept = block;
}

} // namespace

int main() {
    leakABlockOnPurpose();
    // Only the pointer is dropped: nothing refers to the block any more when the program ends.
    gKept = nullptr;
    return 0;
}
