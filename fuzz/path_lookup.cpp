// The linear path lookup against its literal step-by-step rendering, on Windows paths built from the input
// over a small tree with every kind of entry: both must give the same host path, the same existence and
// the same entry.
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"
#include "tests/support/StepByStepPathLookup.h"

#include "FuzzRecipe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QTemporaryDir* gFolder = nullptr;
QByteArray gRoot;

void makeFile(const QByteArray& relative) {
    QFile file(rt::hostString(gRoot + '/' + relative));
    file.open(QIODevice::WriteOnly);
    file.write("RIFF");
}

void makeTree() {
    for (const char* folder : {"Audio/Take 1", "audio2", "Mix/TAKE", "Mix/take", ".hidden"})
        QDir().mkpath(rt::hostString(gRoot + '/' + folder));
    for (const char* file : {"a.wav", "A.WAV", "b.txt", "Audio/Take 1/x.vip", "Mix/TAKE/y.wav",
                             "Mix/take/Y.WAV", "caf\xE9.wav", "Caf\xC3\xA9.mp3", ".hidden/h.wav"})
        makeFile(file);
    ::symlink("Mix", (gRoot + "/toMix").constData());
    ::symlink("nowhere", (gRoot + "/dangling").constData());
    ::symlink("loop", (gRoot + "/loop").constData());
    ::symlink("a.wav", (gRoot + "/Audio/toFile").constData());
    ::symlink("/", (gRoot + "/Audio/toHostRoot").constData());
    ::mkfifo((gRoot + "/pipe").constData(), 0600);
}

// Pieces of paths: names of the tree in other cases, dots, separators, a NUL, characters of every kind.
const char16_t* const kPieces[] = {u"Audio",
                                   u"AUDIO",
                                   u"audio2",
                                   u"take 1",
                                   u"TAKE 1",
                                   u"x.VIP",
                                   u"Mix",
                                   u"mix",
                                   u"take",
                                   u"TAKE",
                                   u"y.wav",
                                   u"toMix",
                                   u"TOMIX",
                                   u"dangling",
                                   u"loop",
                                   u"a.wav",
                                   u"A.wav",
                                   u"B.TXT",
                                   u"caf\u00E9.WAV",
                                   u"CAF\u00C9.mp3",
                                   u"pipe",
                                   u".hidden",
                                   u"H.WAV",
                                   u"toFile",
                                   u"toHostRoot",
                                   u"etc",
                                   u"nothing",
                                   u"..",
                                   u".",
                                   u"...",
                                   u"",
                                   u"\\",
                                   u"/",
                                   u"\\\\",
                                   u" ",
                                   u"\u0000"};

QString pathFrom(fuzzing::Recipe& recipe) {
    QString path = recipe.next() % 8 == 0 ? QStringLiteral("x:") : QStringLiteral("X:\\");
    const int pieces = recipe.next() % 12;
    for (int i = 0; i < pieces; ++i) {
        const uint8_t choice = recipe.next();
        if (choice % 16 == 15)
            path += QChar(char16_t(recipe.next() | recipe.next() << 8)); // anything at all, surrogates too
        else
            path += QString::fromUtf16(kPieces[choice % std::size(kPieces)]);
        if (recipe.next() % 3 != 0)
            path += u'\\';
    }
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gFolder = new QTemporaryDir;
    gRoot = rt::hostBytes(gFolder->path());
    makeTree();
    rt::setDriveTableForTesting(
        {{QChar('C'), "/", rt::kDriveFixed}, {QChar('X'), gFolder->path(), rt::kDriveFixed}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Recipe recipe(data, size);
    const QString path = pathFrom(recipe);
    const testing_support::StepByStepLookup expected = testing_support::stepByStepLookup(u'X', gRoot, path);
    rt::HostLookup actual;
    try {
        actual = rt::lookUpHostPath(path);
    } catch (...) {
        fuzzing::fail("path lookup", "a path on a known drive was refused");
    }
    if (!expected.parsed)
        fuzzing::fail("path lookup", "the reference refused a path on a known drive");
    if (actual.path != expected.path)
        fuzzing::fail("path lookup", "the host paths differ");
    if (actual.exists != expected.exists)
        fuzzing::fail("path lookup", "existence differs");
    if (actual.exists &&
        (actual.info.st_ino != expected.info.st_ino || actual.info.st_mode != expected.info.st_mode))
        fuzzing::fail("path lookup", "the entries differ");
    return 0;
}
