// The folder search on random trees of folders, files, links to folders (loops included) and dangling
// links: its folder list and candidate list must be exactly those of the step-by-step walk that lists
// each parent again after every subfolder.
#include "FuzzRecipe.h"
#include "fuzz/FuzzWindows.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"
#include "playlist/Buscar.h"
#include "playlist/PlayList.h"
#include "tests/search/LiteralSearch.h"

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kMaxSteps = 64;
constexpr char kTarget[] = "folder search";

// Names that meet every rule: cases, dots, blanks, hidden names, candidate and non-candidate tails.
const char* const kNames[] = {"a",     "A",         "b.d",   "B",         "c d",  "take.wav", "TAKE.WAV",
                              "x.vip", "backupvip", "y.Mp3", "notes.txt", ".hid", "z.m4a",    "q.ogg",
                              "v1.2",  "w.wma",     "k.aif", "Zeta",      "zeta", "..x"};

QTemporaryDir* gFolder = nullptr;

namespace fs = std::filesystem;

// Grows a tree below `root` as the recipe says; returns nothing, the tree is on disk.
void growTree(fuzzing::Recipe& recipe, const fs::path& root) {
    std::vector<fs::path> folders{root};
    std::error_code ignored;
    for (int step = 0; step < kMaxSteps && !recipe.done(); ++step) {
        const uint8_t kind = recipe.next() % 8;
        const fs::path& parent = folders[recipe.next() % folders.size()];
        const fs::path entry = parent / kNames[recipe.next() % std::size(kNames)];
        if (fs::exists(fs::symlink_status(entry)))
            continue;
        if (kind < 3) {
            if (fs::create_directory(entry, ignored))
                folders.push_back(entry);
        } else if (kind < 6) {
            std::ofstream(entry) << "x";
        } else if (kind == 6) {
            fs::create_directory_symlink(folders[recipe.next() % folders.size()], entry, ignored);
        } else {
            fs::create_symlink(root / "nowhere", entry, ignored);
        }
    }
}

QString joined(const QStringList& list) {
    return list.join(QStringLiteral(" | "));
}

void compare(const char* what, const QStringList& search, const QStringList& literal) {
    if (search == literal)
        return;
    std::fprintf(stderr, "search:  %s\nliteral: %s\n", qPrintable(joined(search)),
                 qPrintable(joined(literal)));
    fuzzing::fail(kTarget, what);
}

QStringList itemsOf(const rt::ListBox& list) {
    QStringList items;
    for (int i = 0; i < list.ListCount(); ++i)
        items << list.List(i);
    return items;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    gFolder = fuzzing::startWindowsOnDriveT(argc, argv, kTarget);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Recipe recipe(data, size);
    const fs::path root = fs::path(rt::hostBytes(gFolder->path()).toStdString()) / "R";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    fs::create_directory(root);
    growTree(recipe, root);

    playlist::playList().load();
    playlist::playList().d().ListFiles.Clear();
    playlist::buscar().d().Text1.setText(QStringLiteral("T:\\R"));
    playlist::buscar().BuscarFiles();

    const search_literal::Result literal = search_literal::search(QStringLiteral("T:\\R"));
    compare("the folders differ", itemsOf(playlist::buscar().d().List1), literal.folders);
    compare("the candidates differ", itemsOf(playlist::buscar().d().List2), literal.candidates);
    fs::remove_all(root, ignored);
    return 0;
}
