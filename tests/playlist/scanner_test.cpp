// The project scanner on project files written by the tests.
#include "tests/playlist/ScannerFixture.h"

#include "platform/runtime/NumberedFiles.h"

#include <QFile>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace playlist_test {
namespace {

const QByteArray kFiller(8, 'z');
const QByteArray kNul(1, '\0');

// Text NUL at offset 100, C:\x\a.wav at 101..110, its NUL at 111, "LIST" at 120 and "mdrl" at 128.
QByteArray workedExample() {
    return project("C:\\x\\a.wav" + kNul + kFiller + listChunk());
}

// The scan end of a file whose last "LIST" is its chunk: the position of that "L", minus 5.
int listEndOf(const QByteArray& bytes) {
    return int(bytes.lastIndexOf("LIST")) + 1 - 5;
}

// Paths at the start of the scan, a chunk far enough behind them.
QByteArray withPaths(const QByteArray& paths) {
    return project(paths + QByteArray(16, 'z') + listChunk());
}

TEST_F(ScannerTest, WorkedExampleListsThePathAndMovesTheBar) {
    markBar();
    const Scan s = scan(write("a.vip", workedExample()));
    EXPECT_TRUE(s.result);
    EXPECT_EQ(s.lines, QStringList({" ", "C:\\x\\a.wav"}));
    EXPECT_EQ(bar().Min(), 0);
    EXPECT_EQ(bar().Max(), 116); // "L" at position 121, minus 5
    EXPECT_EQ(bar().Value(), 112);
}

TEST_F(ScannerTest, NextPassStartsTwoBytesAfterTheGroup) {
    // Group ends at position 111: a ":\" at 112..113 would start a path only if the next pass began at
    // 112; "F:\" at 112..114 is found from a pass at 113 but not from one at 114.
    const QString missed =
        write("m.vip", project("C:\\x\\a.wav:\\b.mp3" + kNul + QByteArray(16, 'z') + listChunk()));
    EXPECT_EQ(scan(missed).lines, QStringList({" ", "C:\\x\\a.wav"}));
    const QString found =
        write("f.vip", project("C:\\x\\a.wavF:\\b.mp3" + kNul + QByteArray(16, 'z') + listChunk()));
    EXPECT_EQ(scan(found).lines, QStringList({" ", "C:\\x\\a.wav", "F:\\b.mp3"}));
}

TEST_F(ScannerTest, ExtensionsKeepTheirCaseAndFlacItsC) {
    const Scan s =
        scan(write("e.vip", withPaths("D:\\Audio\\Take 1.FLAC" + kNul + "E:\\s.ogg" + kNul + "E:\\t.fla" +
                                      kNul + "E:\\u.AiF" + kNul + "E:\\v.m4a" + kNul)));
    EXPECT_TRUE(s.result);
    // A NUL after ".fla" ends the path; ".m4a" is no project extension.
    EXPECT_EQ(s.lines, QStringList({" ", "D:\\Audio\\Take 1.FLAC", "E:\\s.ogg", "E:\\t.fla", "E:\\u.AiF"}));
}

TEST_F(ScannerTest, DuplicatesAreKeptInFileOrder) {
    const Scan s =
        scan(write("d.vip", withPaths("C:\\b.wav" + kNul + "C:\\a.wav" + kNul + "C:\\b.wav" + kNul)));
    EXPECT_EQ(s.lines, QStringList({" ", "C:\\b.wav", "C:\\a.wav", "C:\\b.wav"}));
}

TEST_F(ScannerTest, OnlyDriveLetterPathsStartACandidate) {
    // A network path, a relative path, and a ":" not followed by "\".
    const Scan s = scan(write("n.vip", withPaths("\\\\srv\\a.wav" + kNul + "rel\\b.wav" + kNul + "C:/c.wav" +
                                                 kNul + "x:y.wav" + kNul)));
    EXPECT_FALSE(s.result);
    EXPECT_EQ(s.lines, QStringList({" "}));
}

TEST_F(ScannerTest, CandidateEndingAtANulMovesTheBarPastIt) {
    markBar();
    // The candidate C:\ab ends at its NUL (position 107): the bar shows 108, the next pass starts at 109.
    const Scan s = scan(write("c.vip", project("C:\\ab" + kNul + "xyz" + QByteArray(20, 'z') + listChunk())));
    EXPECT_FALSE(s.result);
    EXPECT_EQ(s.lines, QStringList({" "}));
    EXPECT_EQ(bar().Value(), 108);
    const Scan next = scan(
        write("c2.vip", project("C:\\ab" + kNul + "D:\\e.wav" + kNul + QByteArray(20, 'z') + listChunk())));
    EXPECT_EQ(next.lines, QStringList({" ", "D:\\e.wav"}));
}

TEST_F(ScannerTest, AfterAnUnlistedGroupTheSearchGoesOnFromTheDot) {
    // ".b.w" is no extension: the "." one byte on is still seen; an unlisted path is not listed and ends at
    // its NUL, so the path after it is found on its own.
    const Scan s = scan(write("g.vip", withPaths("C:\\a.b.wav" + kNul + "C:\\x.txt" + kNul + "D:\\y.wav" +
                                                 kNul + "E:\\z.w" + kNul + "F:\\q.mp3" + kNul)));
    EXPECT_EQ(s.lines, QStringList({" ", "C:\\a.b.wav", "D:\\y.wav", "F:\\q.mp3"}));
}

TEST_F(ScannerTest, ValidateModeAddsOnlyTheIndentAndStopsAtTheFirstPath) {
    markBar();
    const Scan s =
        scan(write("v.vip", withPaths("C:\\a.wav" + kNul + "C:\\b.wav" + kNul)), false, QStringLiteral("  "));
    EXPECT_TRUE(s.result);
    EXPECT_EQ(s.lines, QStringList({"  "}));
    EXPECT_EQ(bar().Min(), 0);
    EXPECT_EQ(bar().Max(), listEndOf(withPaths("C:\\a.wav" + kNul + "C:\\b.wav" + kNul)));
    EXPECT_EQ(bar().Value(), -1); // the first path ends the scan before any value
}

TEST_F(ScannerTest, ListChunkMustBeExactlyListMdrl) {
    const QByteArray path = "C:\\a.wav" + kNul;
    // Another type, another case: passed over; the real chunk after them ends the scan.
    const QString other =
        write("o.vip", project(path + listChunk("data") + listChunk("MDRL") + "list" + QByteArray(4, 'x') +
                               "mdrl" + "C:\\b.wav" + kNul + QByteArray(8, 'z') + listChunk()));
    EXPECT_EQ(scan(other).lines, QStringList({" ", "C:\\a.wav", "C:\\b.wav"}));
    // Without it there is no scan end: nothing is scanned, the indent still comes.
    markBar();
    const Scan none = scan(write("x.vip", project(path + listChunk("data"))));
    EXPECT_FALSE(none.result);
    EXPECT_EQ(none.lines, QStringList({" "}));
    EXPECT_EQ(bar().Max(), 0);
}

TEST_F(ScannerTest, ChunkRightAfterAnotherLIsFound) {
    // A stray "L" just before the chunk, and a chunk starting inside another "LIST": each still ends the
    // scan, so the path before it makes the project valid.
    const QByteArray path = "C:\\a.wav" + kNul + QByteArray(8, 'z');
    markBar();
    const QByteArray stray = project(path + "L" + listChunk());
    EXPECT_TRUE(scan(write("l.vip", stray)).result);
    EXPECT_EQ(bar().Max(), listEndOf(stray));
    const QByteArray inside = project(path + "LIST" + listChunk());
    EXPECT_TRUE(scan(write("l2.vip", inside)).result);
    EXPECT_EQ(bar().Max(), listEndOf(inside));
}

TEST_F(ScannerTest, HeaderNulAsTheLastByteIsNotFound) {
    markBar();
    const Scan s = scan(write("h.vip", QByteArray(200, 'h') + kNul));
    EXPECT_FALSE(s.result);
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_EQ(bar().Max(), -2);
}

TEST_F(ScannerTest, ProjectWithoutHeaderNulIsNotScannedFromAnotherProjectsStart) {
    EXPECT_TRUE(scan(write("a.vip", workedExample())).result);
    // The worked example's bytes without a NUL anywhere: from the previous start they give C:\x\a.wav.
    const QByteArray bytes =
        QByteArray(96, 'h') + "abcdx" + "C:\\x\\a.wav" + "y" + kFiller + "LIST\x10\x11\x12\x13mdrl";
    ASSERT_FALSE(bytes.contains('\0'));
    markBar();
    const Scan s = scan(write("b.vip", bytes));
    EXPECT_FALSE(s.result);
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_EQ(bar().Max(), -2);
}

TEST_F(ScannerTest, OverlongCandidateEndsWithoutAPath) {
    markBar();
    // C:\ then letters: the candidate reaches 32,767 characters at position 102 + 32766.
    const QByteArray longOne = "C:\\" + QByteArray(32800, 'a') + ".wav" + kNul;
    const Scan s = scan(write("long.vip", withPaths(longOne + "D:\\b.wav" + kNul)));
    EXPECT_EQ(s.lines, QStringList({" ", "D:\\b.wav"}));
    // A path just under the limit is still a path.
    const QByteArray under = "C:\\" + QByteArray(32760, 'a') + ".wav";
    const Scan t = scan(write("under.vip", withPaths(under + kNul)));
    ASSERT_EQ(t.lines.size(), 2);
    EXPECT_EQ(t.lines[1], QString::fromLatin1(under));
}

TEST_F(ScannerTest, TwoGibibyteFileIsNoProject) {
    const QString path = write("big.vip", workedExample());
    ASSERT_TRUE(QFile::resize(drive_.host("big.vip"), qint64(1) << 31)); // sparse: nothing is written
    markBar();
    const Scan s = scan(path);
    EXPECT_FALSE(s.result);
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_EQ(bar().Max(), -2);
}

TEST_F(ScannerTest, FileVanishingDuringTheHeaderGivesFalse) {
    // A long header text makes the header search pump; the pump deletes the file under it.
    const QString path = write("gone.vip", project("C:\\a.wav" + kNul + QByteArray(16, 'z') + listChunk(),
                                                   QByteArray(300 * 1024, 't')));
    const QString host = drive_.host("gone.vip");
    QTimer::singleShot(0, [host] { QFile::remove(host); });
    std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the pump's quiet period has passed
    markBar();
    const Scan s = scan(path);
    EXPECT_FALSE(QFile::exists(host));
    EXPECT_FALSE(s.result);
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_EQ(bar().Max(), -2);
}

TEST_F(ScannerTest, ClosingTheWindowDuringAScanEndsItWithoutTouchingIt) {
    // The first pump comes in the header search, then in the list-end search: either way the scan ends
    // before its passes.
    const QByteArray longRun(300 * 1024, 'z');
    const QByteArray paths = "C:\\a.wav" + kNul + QByteArray(16, 'z');
    for (const QByteArray& bytes :
         {project(paths + listChunk(), longRun), project(paths + longRun + listChunk())}) {
        const QString path = write("closed.vip", bytes);
        rt::ListBox& target = list();
        target.Clear();
        QTimer::singleShot(0, [] { window().Unload(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        // Outside any handler the unloaded list is destroyed at once: a later touch would be caught.
        EXPECT_FALSE(window().ExtraerNombres_Archivos(path, target, QStringLiteral(" "), true));
        EXPECT_FALSE(window().isLoaded());
    }
}

TEST_F(ScannerTest, ScanStartedDuringAnotherKeepsEachOnesBounds) {
    // The inner project starts later and ends early: read from the members, its bounds would cut the outer
    // scan short after its first path.
    const QString inner = write("inner.vip", project("D:\\i.wav" + kNul + listChunk(), QByteArray(30, 't')));
    const QString outer = write("outer.vip", project("C:\\a.wav" + kNul + QByteArray(64, 'z') + "C:\\b.wav" +
                                                     kNul + QByteArray(64, 'z') + "C:\\c.wav" + kNul +
                                                     QByteArray(8, 'z') + listChunk()));
    auto* shown = qobject_cast<QProgressBar*>(bar().widget());
    ASSERT_NE(shown, nullptr);
    bool innerFound = false;
    bool started = false;
    QObject::connect(shown, &QProgressBar::valueChanged, [&] {
        if (std::exchange(started, true))
            return;
        rt::ListBox& other = window().d().List1;
        innerFound = window().ExtraerNombres_Archivos(inner, other, QString(), true);
        other.Clear();
    });
    const Scan s = scan(outer);
    EXPECT_TRUE(started);
    EXPECT_TRUE(innerFound);
    EXPECT_EQ(s.lines, QStringList({" ", "C:\\a.wav", "C:\\b.wav", "C:\\c.wav"}));
}

TEST_F(ScannerTest, HeaderLineNamesItsProjectOnlyInTheHeaderForm) {
    write("a.vip", workedExample());
    EXPECT_EQ(scan(QStringLiteral("3 --> ") + drive_.windows("a.vip")).lines,
              QStringList({" ", "C:\\x\\a.wav"}));
    // ">" belongs to the name of a file that is not a header line.
    const QString odd = write("x>y.vip", workedExample());
    EXPECT_EQ(scan(odd).lines, QStringList({" ", "C:\\x\\a.wav"}));
}

TEST_F(ScannerTest, NameWithoutVipTouchesNothing) {
    const QString path = write("a.vpp", workedExample());
    markBar();
    const Scan s = scan(path);
    EXPECT_FALSE(s.result);
    EXPECT_TRUE(s.lines.isEmpty());
    EXPECT_EQ(bar().Max(), -2);
    EXPECT_FALSE(scan(drive_.windows("missing.vip")).result);
}

TEST_F(ScannerTest, ValidoNeedsAnOrdinaryProjectWithAPath) {
    EXPECT_TRUE(window().Valido(write("ok.vip", workedExample())));
    drive_.makeFolder("folder.vip");
    EXPECT_FALSE(window().Valido(drive_.windows("folder.vip")));
    EXPECT_FALSE(window().Valido(write(".hidden.vip", workedExample())));
    EXPECT_FALSE(window().Valido(write("empty.vip", project(QByteArray(40, 'z') + listChunk()))));
    EXPECT_FALSE(window().Valido(write("zero.vip", QByteArray())));
    ASSERT_EQ(::mkfifo(drive_.host("pipe.vip").toLocal8Bit().constData(), 0644), 0);
    EXPECT_FALSE(window().Valido(drive_.windows("pipe.vip")));
    EXPECT_EQ(window().d().List1.ListCount(), 0);
}

TEST_F(ScannerTest, NoScanLeavesAFileOpen) {
    const int before = openDescriptors();
    scan(write("a.vip", workedExample()));
    scan(write("b.vip", project(QByteArray(40, 'z'))));
    scan(write("c.vip", QByteArray(50, 'h')));
    window().Valido(write("d.vip", workedExample()));
    window().Valido(drive_.windows("absent.vip"));
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(rt::FreeFile(), rt::kFirstFileNumber);
}

TEST_F(ScannerTest, FileTitleIsTheLastComponent) {
    EXPECT_EQ(window().Obtener_Nombre_Archivo(QStringLiteral("D:\\Audio\\Take 1.wav")), "Take 1.wav");
    EXPECT_EQ(window().Obtener_Nombre_Archivo(QStringLiteral("D:\\Audio\\")), "");
    EXPECT_EQ(window().Obtener_Nombre_Archivo(QString(300, u'a')), "");
}

} // namespace
} // namespace playlist_test
