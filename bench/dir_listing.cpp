// The folder search walks a tree through the one global Dir listing, listing each parent again after every
// subfolder. This measures that walk against a plain recursive std::filesystem listing of the same tree,
// both timed in the same run, and reports their ratio.
#include "platform/win/Drives.h"
#include "platform/win/FileSystem.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kDepth = 3;
constexpr int kSubfoldersPerFolder = 6;
constexpr int kFilesPerFolder = 12;

// 1 + 6 + 36 + 216 folders, each with a dozen files of the kinds the search looks at.
class Tree {
  public:
    Tree() : root_(fs::temp_directory_path() / ("ondara-bench-" + std::to_string(::getpid()))) {
        fill(root_, kDepth);
        rt::setDriveTableForTesting(
            {{u'C', "/", rt::kDriveFixed}, {u'X', QString::fromStdString(root_), rt::kDriveFixed}});
    }
    ~Tree() {
        rt::resetDriveTable();
        fs::remove_all(root_);
    }
    const fs::path& root() const { return root_; }

  private:
    static void fill(const fs::path& folder, int depth) {
        fs::create_directories(folder);
        static const char* const kExtensions[] = {".wav", ".mp3", ".vip", ".txt"};
        for (int i = 0; i < kFilesPerFolder; ++i)
            std::ofstream(folder / ("take " + std::to_string(i) + kExtensions[i % 4]));
        for (int i = 0; depth > 0 && i < kSubfoldersPerFolder; ++i)
            fill(folder / ("Folder " + std::to_string(i)), depth - 1);
    }
    fs::path root_;
};

// The search's own walk: subfolders depth first, the parent listed again after each, then every file.
void subfolders(const QString& folder, QStringList& folders) {
    const QString root = folder + "\\";
    QString name = rt::Dir(root, rt::kAttrDirectory);
    for (int k = 1; !name.isEmpty(); ++k) {
        if (name != "." && name != ".." && rt::GetAttr(root + name) == rt::kAttrDirectory) {
            folders << root + name;
            subfolders(root + name, folders);
            name = rt::Dir(root, rt::kAttrDirectory);
            for (int skipped = 1; skipped < k; ++skipped)
                name = rt::Dir();
        }
        name = rt::Dir();
    }
}

std::size_t dirWalk() {
    QStringList folders{"X:\\"};
    subfolders("X:", folders);
    std::size_t files = 0;
    for (const QString& folder : folders) {
        const QString listing = folder.endsWith('\\') ? folder : folder + "\\";
        for (QString name = rt::Dir(listing, rt::kAttrNormal); !name.isEmpty(); name = rt::Dir())
            ++files;
    }
    return files;
}

std::size_t plainWalk(const fs::path& root) {
    std::size_t files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        files += entry.is_regular_file() ? 1 : 0;
    return files;
}

void DirWalk(benchmark::State& state) {
    Tree tree;
    for (auto _ : state)
        benchmark::DoNotOptimize(dirWalk());
}
BENCHMARK(DirWalk)->Unit(benchmark::kMillisecond);

void PlainRecursiveListing(benchmark::State& state) {
    Tree tree;
    for (auto _ : state)
        benchmark::DoNotOptimize(plainWalk(tree.root()));
}
BENCHMARK(PlainRecursiveListing)->Unit(benchmark::kMillisecond);

// Both walks in turn on each iteration; "ratio" is Dir walk time over plain listing time.
void DirWalkVersusPlainListing(benchmark::State& state) {
    Tree tree;
    using Clock = std::chrono::steady_clock;
    Clock::duration dirTime{}, plainTime{};
    std::size_t dirFiles = 0, plainFiles = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        dirFiles = dirWalk();
        const auto middle = Clock::now();
        plainFiles = plainWalk(tree.root());
        plainTime += Clock::now() - middle;
        dirTime += middle - start;
    }
    if (dirFiles != plainFiles)
        state.SkipWithError("the two walks found different numbers of files");
    const double iterations = double(state.iterations());
    state.counters["dir_ms"] = std::chrono::duration<double, std::milli>(dirTime).count() / iterations;
    state.counters["plain_ms"] = std::chrono::duration<double, std::milli>(plainTime).count() / iterations;
    state.counters["ratio"] = double(dirTime.count()) / double(plainTime.count());
    state.counters["files"] = double(dirFiles);
}
BENCHMARK(DirWalkVersusPlainListing)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
