// The folder search of a dropped folder: a generated tree of 2,000 folders and 20,000 files searched
// against a plain std::filesystem recursive listing of the same tree, timed in the same run (goal: within
// 3x); the same tree with 200 valid projects of 1 MB each, with the share of the time spent scanning them;
// and, for both, the longest time the user interface waited for the search to let its events run.
#include "bench/BenchMain.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "playlist/Buscar.h"
#include "playlist/PlayList.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 10;
constexpr int kBranching = 10;
constexpr int kProjects = 200;
constexpr int kProjectBytes = 1 << 20;
constexpr int kPathsPerProject = 20;
constexpr int kProjectTextOffset = 96;

// What a music folder holds: takes and mixes among pictures, notes and documents.
const char* const kFileKinds[kFilesPerFolder] = {".wav", ".txt", ".wav", ".mp3", ".jpg",
                                                 ".wav", ".png", ".mp3", ".doc", ".WAV"};

double msOf(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A project of exactly kProjectBytes that the scanner accepts: the text at offset 96 ended by a NUL,
// its audio paths, filler that holds no path, then the list chunk.
std::string projectBytes(int number) {
    std::string bytes(kProjectTextOffset, 'h');
    bytes += "Project " + std::to_string(number) + '\0';
    for (int path = 0; path < kPathsPerProject; ++path)
        bytes +=
            "E:\\Audio\\Project " + std::to_string(number) + "\\take " + std::to_string(path) + ".wav" + '\0';
    const std::string chunk = std::string("LIST") + "\x10\x20\x30\x40" + "mdrl" + std::string(16, '\0');
    bytes += std::string(kProjectBytes - bytes.size() - chunk.size(), '\x01');
    return bytes + chunk;
}

// 2,000 folders as a ten-way tree (folder i below folder (i - 1) / 10), ten files in each, on drive X:.
class Tree {
  public:
    explicit Tree(bool withProjects)
        : root_(fs::temp_directory_path() /
                ("ondara-search-" + std::to_string(::getpid()) + (withProjects ? "-projects" : ""))) {
        std::vector<fs::path> folders{root_};
        fs::create_directories(root_);
        for (int i = 1; i < kFolders; ++i) {
            folders.push_back(folders[(i - 1) / kBranching] / ("Folder " + std::to_string(i)));
            fs::create_directory(folders.back());
        }
        for (int i = 0; i < kFolders; ++i)
            for (int k = 0; k < kFilesPerFolder; ++k)
                std::ofstream(folders[i] / ("take " + std::to_string(k) + kFileKinds[k]));
        for (int p = 0; withProjects && p < kProjects; ++p) {
            const fs::path project =
                folders[p * (kFolders / kProjects)] / ("Song " + std::to_string(p) + ".vip");
            std::ofstream(project, std::ios::binary) << projectBytes(p);
            projects_.push_back(
                "X:\\" + QString::fromStdString(fs::relative(project, root_).string()).replace('/', '\\'));
        }
    }
    // Drive X: is this tree.
    void install() const {
        rt::setDriveTableForTesting(
            {{u'C', "/", rt::kDriveFixed}, {u'X', QString::fromStdString(root_.string()), rt::kDriveFixed}});
    }
    ~Tree() {
        rt::resetDriveTable();
        fs::remove_all(root_);
    }
    const fs::path& root() const { return root_; }
    const QStringList& projects() const { return projects_; }

  private:
    fs::path root_;
    QStringList projects_;
};

// Google Benchmark calls each benchmark several times while it settles the iteration count: the trees are
// made once for the run.
Tree& treeWithoutProjects() {
    static Tree tree(false);
    return tree;
}

std::size_t plainListing(const fs::path& root) {
    std::size_t entries = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        entries += entry.is_regular_file() ? 1 : 0;
    return entries;
}

// The longest time between two passes of the event loop while it lives: a zero-time timer runs at every
// pass that lets events run.
class GapWatch {
  public:
    GapWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        last_ = Clock::now();
        timer_.start(0);
    }
    // Stops watching; the wait from the last pass to the end counts too.
    void stop() {
        longest_ = std::max(longest_, Clock::now() - last_);
        timer_.stop();
    }
    double longestMs() const { return msOf(longest_); }

  private:
    QTimer timer_;
    Clock::time_point last_{};
    Clock::duration longest_{};
};

// One search of X: as a drop runs it; returns the number of lines written.
int searchTree(GapWatch& gaps) {
    playlist::PlayList& list = playlist::playList();
    playlist::buscar().d().Text1.setText(QStringLiteral("X:\\"));
    gaps.start();
    playlist::buscar().BuscarFiles();
    gaps.stop();
    return list.d().ListFiles.ListCount();
}

void FolderSearchVersusRecursiveListing(benchmark::State& state) {
    Tree& tree = treeWithoutProjects();
    tree.install();
    GapWatch gaps;
    Clock::duration searchTime{}, plainTime{};
    double longestGap = 0;
    int lines = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        // A drop empties the playlist before it searches: not the search's time.
        playlist::playList().d().ListFiles.Clear();
        const auto start = Clock::now();
        lines = searchTree(gaps);
        const auto middle = Clock::now();
        files = plainListing(tree.root());
        plainTime += Clock::now() - middle;
        searchTime += middle - start;
        longestGap = std::max(longestGap, gaps.longestMs());
    }
    if (files != std::size_t(kFolders * kFilesPerFolder))
        state.SkipWithError("the plain listing did not see every file");
    const double iterations = double(state.iterations());
    state.counters["search_ms"] = msOf(searchTime) / iterations;
    state.counters["plain_ms"] = msOf(plainTime) / iterations;
    state.counters["ratio"] = double(searchTime.count()) / double(plainTime.count());
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["lines"] = lines;
}
BENCHMARK(FolderSearchVersusRecursiveListing)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same tree with 200 projects of 1 MB. The scan share is the time the scanner alone takes for what
// the search asks of it (each project validated, then read for its paths) over the whole search's time.
void FolderSearchWithProjects(benchmark::State& state) {
    Tree tree(true);
    tree.install();
    GapWatch gaps;
    Clock::duration searchTime{}, scanTime{};
    double longestGap = 0;
    int projects = 0;
    playlist::PlayList& list = playlist::playList();
    for (auto _ : state) {
        list.d().ListFiles.Clear();
        const auto start = Clock::now();
        searchTree(gaps);
        searchTime += Clock::now() - start;
        longestGap = std::max(longestGap, gaps.longestMs());
        projects = list.NumVips();

        list.d().ListFiles.Clear();
        const auto scanStart = Clock::now();
        for (const QString& project : tree.projects())
            if (list.Valido(project))
                list.ExtraerNombres_Archivos(project, list.d().ListFiles, QStringLiteral(" "), true);
        scanTime += Clock::now() - scanStart;
    }
    if (projects != kProjects)
        state.SkipWithError("the search did not find every project");
    const double iterations = double(state.iterations());
    state.counters["search_ms"] = msOf(searchTime) / iterations;
    state.counters["scan_ms"] = msOf(scanTime) / iterations;
    state.counters["scan_share"] = double(scanTime.count()) / double(searchTime.count());
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["projects"] = projects;
}
BENCHMARK(FolderSearchWithProjects)->Unit(benchmark::kMillisecond)->Iterations(3);

// One folder of n empty subfolders: the walk's time grows with n, not with n squared.
void FolderOfManySubfolders(benchmark::State& state) {
    const int subfolders = int(state.range(0));
    const fs::path root = fs::temp_directory_path() / ("ondara-wide-" + std::to_string(::getpid()));
    for (int i = 0; i < subfolders; ++i)
        fs::create_directories(root / ("Take " + std::to_string(i)));
    rt::setDriveTableForTesting(
        {{u'C', "/", rt::kDriveFixed}, {u'X', QString::fromStdString(root.string()), rt::kDriveFixed}});
    GapWatch gaps;
    for (auto _ : state)
        searchTree(gaps);
    state.SetComplexityN(subfolders);
    state.counters["us_per_subfolder"] =
        benchmark::Counter(double(subfolders) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    rt::resetDriveTable();
    fs::remove_all(root);
}
BENCHMARK(FolderOfManySubfolders)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The search shows its progress bar on the main window, which is loaded as the program loads it.
    player::player().load();
    playlist::playList().load();
    return bench_main::runBenchmarks(argc, argv);
}
