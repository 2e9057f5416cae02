// Path lookup must cost time linear in the number of components. A tree of folders "d" nested 50,000 deep
// is looked up as "X:\D\D\...\D" (every component matched without regard to case) and as a path that is
// missing from its first component on; each against a plain walk of the same tree, one fstatat and one
// openat per component, and each at 5,000 and 50,000 components, all timed in the same run.
#include "platform/win/Drives.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kShortPath = 5000;
constexpr int kLongPath = 50000;

// Folders nested `depth` deep. Made and removed through descriptors: the tree is far deeper than any
// path the host takes in one call.
class DeepTree {
  public:
    explicit DeepTree(int depth) : root_("/tmp/ondara-bench-paths-" + std::to_string(::getpid())) {
        ::mkdir(root_.c_str(), 0755);
        int folder = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        for (int level = 0; level < depth && folder >= 0; ++level) {
            ::mkdirat(folder, "d", 0755);
            const int next = ::openat(folder, "d", O_PATH | O_DIRECTORY | O_CLOEXEC);
            ::close(folder);
            folder = next;
        }
        if (folder >= 0)
            ::close(folder);
        rt::setDriveTableForTesting(
            {{u'C', "/", rt::kDriveFixed}, {u'X', QString::fromStdString(root_), rt::kDriveFixed}});
    }
    // Lifts each level's child into the root and removes the emptied level: linear, whatever the depth.
    ~DeepTree() {
        rt::resetDriveTable();
        const int root = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        while (::renameat(root, "d/d", root, "lifted") == 0) {
            ::unlinkat(root, "d", AT_REMOVEDIR);
            ::renameat(root, "lifted", root, "d");
        }
        ::unlinkat(root, "d", AT_REMOVEDIR);
        ::close(root);
        ::rmdir(root_.c_str());
    }
    DeepTree(const DeepTree&) = delete;
    DeepTree& operator=(const DeepTree&) = delete;
    const std::string& root() const { return root_; }

  private:
    std::string root_;
};

QString windowsPath(const QString& first, const QString& rest, int components) {
    QString path = "X:\\" + first;
    path.reserve(3 + components * (rest.size() + 1));
    for (int i = 1; i < components; ++i)
        path += '\\' + rest;
    return path;
}

// The host's own lookup of the exact names, one component at a time.
bool plainWalk(const std::string& root, int components) {
    int folder = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat info;
    for (int i = 0; i < components && folder >= 0; ++i) {
        if (::fstatat(folder, "d", &info, AT_SYMLINK_NOFOLLOW) != 0) {
            ::close(folder);
            return false;
        }
        const int next = i + 1 < components ? ::openat(folder, "d", O_PATH | O_DIRECTORY | O_CLOEXEC) : -1;
        ::close(folder);
        folder = next;
    }
    if (folder >= 0)
        ::close(folder);
    return true;
}

using Clock = std::chrono::steady_clock;

double millisecondsOf(Clock::duration duration, benchmark::IterationCount iterations) {
    return std::chrono::duration<double, std::milli>(duration).count() / double(iterations);
}

void LookupOfCaselessComponents(benchmark::State& state) {
    const int components = int(state.range(0));
    DeepTree tree(components);
    const QString path = windowsPath("D", "D", components);
    for (auto _ : state) {
        if (!rt::lookUpHostPath(path).exists)
            state.SkipWithError("the deep path was not found");
    }
}
BENCHMARK(LookupOfCaselessComponents)->Arg(kShortPath)->Arg(kLongPath)->Unit(benchmark::kMillisecond);

void LookupOfAMissingPath(benchmark::State& state) {
    const int components = int(state.range(0));
    DeepTree tree(0);
    const QString path = windowsPath("gone", "c", components);
    for (auto _ : state) {
        if (rt::lookUpHostPath(path).exists)
            state.SkipWithError("a missing path was found");
    }
}
BENCHMARK(LookupOfAMissingPath)->Arg(kShortPath)->Arg(kLongPath)->Unit(benchmark::kMillisecond);

void PlainWalk(benchmark::State& state) {
    const int components = int(state.range(0));
    DeepTree tree(components);
    for (auto _ : state)
        benchmark::DoNotOptimize(plainWalk(tree.root(), components));
}
BENCHMARK(PlainWalk)->Arg(kShortPath)->Arg(kLongPath)->Unit(benchmark::kMillisecond);

// All of it in one run on one tree: "growth" is the time at 50,000 components over the time at 5,000
// (10 for linear, 100 for quadratic); "vs_plain" the caseless lookup over the plain walk at 50,000.
void LinearGrowth(benchmark::State& state) {
    DeepTree tree(kLongPath);
    const QString shortDeep = windowsPath("D", "D", kShortPath);
    const QString longDeep = windowsPath("D", "D", kLongPath);
    const QString shortMissing = windowsPath("gone", "c", kShortPath);
    const QString longMissing = windowsPath("gone", "c", kLongPath);
    Clock::duration deep[2]{}, missing[2]{}, plain[2]{};
    for (auto _ : state) {
        const int sizes[2] = {kShortPath, kLongPath};
        for (int i = 0; i < 2; ++i) {
            auto start = Clock::now();
            const bool found = rt::lookUpHostPath(i == 0 ? shortDeep : longDeep).exists;
            deep[i] += Clock::now() - start;
            start = Clock::now();
            const bool foundMissing = rt::lookUpHostPath(i == 0 ? shortMissing : longMissing).exists;
            missing[i] += Clock::now() - start;
            start = Clock::now();
            const bool walked = plainWalk(tree.root(), sizes[i]);
            plain[i] += Clock::now() - start;
            if (!found || foundMissing || !walked)
                state.SkipWithError("a lookup gave the wrong answer");
        }
    }
    const auto iterations = state.iterations();
    state.counters["deep_5k_ms"] = millisecondsOf(deep[0], iterations);
    state.counters["deep_50k_ms"] = millisecondsOf(deep[1], iterations);
    state.counters["deep_growth"] = double(deep[1].count()) / double(deep[0].count());
    state.counters["missing_5k_ms"] = millisecondsOf(missing[0], iterations);
    state.counters["missing_50k_ms"] = millisecondsOf(missing[1], iterations);
    state.counters["missing_growth"] = double(missing[1].count()) / double(missing[0].count());
    state.counters["plain_50k_ms"] = millisecondsOf(plain[1], iterations);
    state.counters["plain_growth"] = double(plain[1].count()) / double(plain[0].count());
    state.counters["vs_plain"] = double(deep[1].count()) / double(plain[1].count());
}
BENCHMARK(LinearGrowth)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
