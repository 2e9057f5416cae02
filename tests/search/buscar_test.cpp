// The folder search on real folders of a drive of its own: the walk's order, the candidates, the lines
// written to the playlist, the counts, and the search ending when the playlist goes away.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "platform/win/HostNames.h"
#include "player/Player.h"
#include "playlist/Buscar.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"
#include "tests/search/LiteralSearch.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TempDrive.h"

#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// Failures show the texts, not their code units.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using testing_support::TempDrive;

const QString kShort = playlist::lines::shortSeparator();
const QString kExtra = playlist::lines::audiosExtraLine();

// A project the scanner accepts: a text at offset 96 ended by a NUL, the paths each ended by a NUL, then
// `filler` bytes that hold no path, then the list chunk.
QByteArray projectBytes(const QStringList& paths, int filler = 2) {
    QByteArray bytes(96, 'h');
    bytes += "Song";
    bytes += '\0';
    for (const QString& path : paths)
        bytes += path.toLatin1() + '\0';
    return bytes + QByteArray(filler, '\x01') + "LIST" + QByteArray(4, '\x10') + "mdrl" +
           QByteArray(16, '\0');
}

using fixtures::asOrdinaryUser;

// A project whose scan takes milliseconds, so the pumps inside it really let events run.
constexpr int kSlowScanFiller = 8 << 20;

QStringList itemsOf(const rt::ListBox& list) {
    QStringList items;
    for (int i = 0; i < list.ListCount(); ++i)
        items << list.List(i);
    return items;
}

class BuscarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(
            [] { return std::make_unique<rt::FakeMediaPlayer>(); });
        playlist::playList().load();
    }
    void TearDown() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
    }

    // Runs the search of `text` as the drop loader does: Text1, then BuscarFiles, inside a window event.
    static void search(const QString& text) {
        rt::dispatch([&] {
            playlist::buscar().d().Text1.setText(text);
            playlist::buscar().BuscarFiles();
        });
    }
    static QStringList folders() { return itemsOf(playlist::buscar().d().List1); }
    static QStringList candidates() { return itemsOf(playlist::buscar().d().List2); }
    static QStringList lines() { return itemsOf(playlist::playList().d().ListFiles); }
    static QString label() { return playlist::playList().d().LabelNvip.Caption(); }
    static int numVips() { return playlist::playList().NumVips(); }
    static bool barVisible() { return player::player().d().XP_ProgressBar1.Visible(); }

    QString project(const QString& relative, const QStringList& paths) const {
        drive.makeFile(relative, projectBytes(paths));
        return drive.windows(relative);
    }

    TempDrive drive{u'D'};
};

// ---- the walk and the candidates ----

TEST_F(BuscarTest, WalksSubfoldersDepthFirstInListingOrderThenListsCandidatesFolderByFolder) {
    drive.makeFile("R/r.wav");
    drive.makeFile("R/X/Z/z.mp3");
    drive.makeFile("R/X/x.aif");
    drive.makeFile("R/Y/y.wma");
    drive.makeFile("R/Y/y2.m4a");
    drive.makeFile("R/Y/notes.txt");

    search(drive.windows("R"));

    EXPECT_EQ(folders(), (QStringList{"D:\\R", "D:\\R\\X", "D:\\R\\X\\Z", "D:\\R\\Y"}));
    EXPECT_EQ(candidates(), (QStringList{"D:\\R\\r.wav", "D:\\R\\X\\x.aif", "D:\\R\\X\\Z\\z.mp3",
                                         "D:\\R\\Y\\y.wma", "D:\\R\\Y\\y2.m4a"}));
    EXPECT_EQ(lines(), (QStringList{" ", kExtra, "D:\\R\\r.wav", "D:\\R\\X\\x.aif", "D:\\R\\X\\Z\\z.mp3",
                                    "D:\\R\\Y\\y.wma", "D:\\R\\Y\\y2.m4a"}));
    EXPECT_EQ(numVips(), 0);
    EXPECT_EQ(label(), "0 Proyectos Vips");
}

TEST_F(BuscarTest, SiblingsFollowTheListingsOrderWithoutRegardToCaseAndAgreeWithTheStepByStepWalk) {
    for (const char* name : {"b", "A", "c", "B2", "a1"})
        drive.makeFile(QString("R/%1/t.wav").arg(name));
    drive.makeFile("R/A/deep/er/t.wav");

    search(drive.windows("R"));

    EXPECT_EQ(folders(), (QStringList{"D:\\R", "D:\\R\\A", "D:\\R\\A\\deep", "D:\\R\\A\\deep\\er",
                                      "D:\\R\\a1", "D:\\R\\b", "D:\\R\\B2", "D:\\R\\c"}));
    const search_literal::Result literal = search_literal::search("D:\\R");
    EXPECT_EQ(folders(), literal.folders);
    EXPECT_EQ(candidates(), literal.candidates);
}

TEST_F(BuscarTest, ATrailingSeparatorIsDroppedAndADriveRootIsSearchedAsTheRoot) {
    drive.makeFile("top.wav");
    drive.makeFile("R/X/x.wav");

    search("D:\\R\\");
    EXPECT_EQ(folders(), (QStringList{"D:\\R", "D:\\R\\X"}));
    EXPECT_EQ(candidates(), QStringList{"D:\\R\\X\\x.wav"});

    search("D:\\");
    EXPECT_EQ(folders(), (QStringList{"D:", "D:\\R", "D:\\R\\X"}));
    EXPECT_EQ(candidates(), (QStringList{"D:\\top.wav", "D:\\R\\X\\x.wav"}));
}

TEST_F(BuscarTest, LinksToFoldersAreNeverEnteredAndALinkLoopEnds) {
    drive.makeFile("R/X/x.wav");
    drive.makeFile("Outside/o.wav");
    drive.makeLink("R/ToOutside", drive.host("Outside"));
    drive.makeLink("R/X/Back", drive.host("R"));

    search(drive.windows("R"));

    EXPECT_EQ(folders(), (QStringList{"D:\\R", "D:\\R\\X"}));
    EXPECT_EQ(candidates(), QStringList{"D:\\R\\X\\x.wav"});
}

TEST_F(BuscarTest, HiddenFoldersAndHiddenFilesAreLeftOut) {
    drive.makeFile("R/.cache/c.wav");
    drive.makeFile("R/.hidden.wav");
    drive.makeFile("R/seen.wav");

    search(drive.windows("R"));

    EXPECT_EQ(folders(), QStringList{"D:\\R"});
    EXPECT_EQ(candidates(), QStringList{"D:\\R\\seen.wav"});
}

TEST_F(BuscarTest, CapitalsAreListedAndANameEndingInVipWithoutADotIsACandidateButNoProject) {
    drive.makeFile("R/TAKE ONE.WAV");
    drive.makeFile("R/Mix.Mp3");
    drive.makeFile("R/take.ogg");
    drive.makeFile("R/take.flac");
    drive.makeFile("R/backupvip", projectBytes({"C:\\x\\a.wav"}));
    drive.makeFile("R/archive.VIP.txt");

    search(drive.windows("R"));

    EXPECT_EQ(candidates(), (QStringList{"D:\\R\\backupvip", "D:\\R\\Mix.Mp3", "D:\\R\\TAKE ONE.WAV"}));
    EXPECT_EQ(lines(), (QStringList{" ", kExtra, "D:\\R\\Mix.Mp3", "D:\\R\\TAKE ONE.WAV"}));
    EXPECT_EQ(numVips(), 0);
}

// ---- projects and loose files in the playlist ----

TEST_F(BuscarTest, ALooseFileListedBeforeAProjectComesFirstUnderTheExtraLine) {
    drive.makeFile("R/a take.wav");
    const QString vip = project("R/b song.vip", {"C:\\x\\a.wav", "E:\\Audio\\b.WAV"});

    search(drive.windows("R"));

    EXPECT_EQ(lines(), (QStringList{" ", kExtra, "D:\\R\\a take.wav", kShort, "1 --> " + vip, kShort, " ",
                                    "C:\\x\\a.wav", "E:\\Audio\\b.WAV"}));
    EXPECT_EQ(numVips(), 1);
    EXPECT_EQ(label(), "1 Proyectos Vips");
}

TEST_F(BuscarTest, TwoProjectsAreNumberedOneAndTwoAndTheExtraSectionIsWrittenOnce) {
    const QString first = project("R/A/first.vip", {"C:\\x\\a.wav"});
    const QString second = project("R/B/second.VIP", {"C:\\y\\b.mp3", "C:\\y\\c.mp3"});
    drive.makeFile("R/A/loose1.wav");
    drive.makeFile("R/B/loose2.wma");

    search(drive.windows("R"));

    EXPECT_EQ(lines(), (QStringList{kShort, "1 --> " + first, kShort, " ", "C:\\x\\a.wav", " ", kExtra,
                                    "D:\\R\\A\\loose1.wav", "D:\\R\\B\\loose2.wma", kShort, "2 --> " + second,
                                    kShort, " ", "C:\\y\\b.mp3", "C:\\y\\c.mp3"}));
    EXPECT_EQ(numVips(), 2);
    EXPECT_EQ(label(), "2 Proyectos Vips");
}

TEST_F(BuscarTest, AProjectThatIsNotValidIsLeftOutEntirely) {
    drive.makeFile("R/empty.vip", QByteArray(200, '\0'));
    drive.makeFile("R/noPaths.vip", projectBytes({}));
    const QString good = project("R/zz.vip", {"C:\\x\\a.wav"});

    search(drive.windows("R"));

    EXPECT_EQ(lines(), (QStringList{kShort, "1 --> " + good, kShort, " ", "C:\\x\\a.wav"}));
    EXPECT_EQ(numVips(), 1);
}

TEST_F(BuscarTest, NoCandidateAddsNothingResetsTheCountAndSaysSo) {
    drive.makeFile("R/readme.txt");
    drive.makeFolder("R/Empty");
    playlist::playList().setNumVips(5);
    playlist::playList().d().ListFiles.AddItem("kept");

    search(drive.windows("R"));

    EXPECT_EQ(lines(), QStringList{"kept"});
    EXPECT_EQ(numVips(), 0);
    EXPECT_EQ(label(), "0 Proyectos Vips");
    EXPECT_FALSE(barVisible());
}

TEST_F(BuscarTest, TheBarIsShownWhileProjectsAreReadAndHiddenAfter) {
    drive.makeFile("R/p.vip", projectBytes({"C:\\x\\a.wav"}, kSlowScanFiller));
    bool shownDuringSearch = false;
    // Seen from an event that the pumps of the project's scan deliver.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout,
                     [&] { shownDuringSearch = shownDuringSearch || barVisible(); });
    watcher.start(0);

    search(drive.windows("R"));
    watcher.stop();

    EXPECT_TRUE(shownDuringSearch);
    EXPECT_FALSE(barVisible());
}

// ---- what is searched ----

TEST_F(BuscarTest, AFolderWhoseNamesHoldDotsIsSearched) {
    drive.makeFile("home/ana.lopez/Music v1.2/take.wav");

    search(drive.windows("home/ana.lopez"));

    EXPECT_EQ(folders(), (QStringList{"D:\\home\\ana.lopez", "D:\\home\\ana.lopez\\Music v1.2"}));
    EXPECT_EQ(lines(), (QStringList{" ", kExtra, "D:\\home\\ana.lopez\\Music v1.2\\take.wav"}));
}

TEST_F(BuscarTest, APathThatIsNotAFolderIsNotSearchedAndKeepsTheCount) {
    drive.makeFile("R/song.wav");
    drive.makeFile("R/noextension");
    search(drive.windows("R"));
    const QStringList before = lines();
    playlist::playList().setNumVips(3);

    for (const QString& notAFolder : {drive.windows("R/song.wav"), drive.windows("R/noextension"),
                                      drive.windows("Missing"), QString("Q:\\NoSuchDrive"), QString("\\")}) {
        search(notAFolder);
        EXPECT_EQ(lines(), before) << notAFolder.toStdString();
        EXPECT_EQ(numVips(), 3) << notAFolder.toStdString();
        EXPECT_EQ(label(), "3 Proyectos Vips") << notAFolder.toStdString();
        EXPECT_EQ(folders(), QStringList{"D:\\R"}) << "the lists of the last search stay";
    }
}

TEST_F(BuscarTest, AnEmptyTextSearchesNothingButSetsTheLabel) {
    playlist::playList().setNumVips(4);
    search("");
    EXPECT_EQ(numVips(), 4);
    EXPECT_EQ(label(), "4 Proyectos Vips");
    EXPECT_TRUE(lines().isEmpty());
}

TEST_F(BuscarTest, AFolderThatCannotBeListedIsPassedOver) {
    drive.makeFile("R/Locked/inside.wav");
    drive.makeFile("R/Locked/Below/deeper.wav");
    drive.makeFile("R/Open/o.wav");
    const QByteArray locked = rt::hostBytes(drive.host("R/Locked"));
    ASSERT_EQ(::chmod(locked.constData(), 0), 0);
    const auto passedOver = [&] {
        search(drive.windows("R"));
        return folders() == QStringList{"D:\\R", "D:\\R\\Locked", "D:\\R\\Open"} &&
               candidates() == QStringList{"D:\\R\\Open\\o.wav"};
    };
    // Root lists every folder whatever its permissions: the search then runs as an ordinary user.
    const int outcome = asOrdinaryUser([&] { return passedOver() ? 0 : 1; });
    ::chmod(locked.constData(), 0755);
    if (outcome == fixtures::kCouldNotRunAsOrdinaryUser)
        GTEST_SKIP() << "running as root and unable to become an ordinary user: no folder is unreadable";
    EXPECT_EQ(outcome, 0);
}

TEST_F(BuscarTest, AFolderThatVanishesDuringTheWalkIsPassedOverAndTheWalkGoesOn) {
    drive.makeFile("R/A/a.wav");
    drive.makeFile("R/B/b.wav");
    drive.makeFile("R/C/c.wav");
    // Removed by an event that runs at the walk's first pump, after the listing of R was read.
    QTimer::singleShot(0,
                       [&] { std::filesystem::remove_all(rt::hostBytes(drive.host("R/B")).toStdString()); });

    search(drive.windows("R"));

    EXPECT_EQ(folders(), (QStringList{"D:\\R", "D:\\R\\A", "D:\\R\\C"}));
    EXPECT_EQ(candidates(), (QStringList{"D:\\R\\A\\a.wav", "D:\\R\\C\\c.wav"}));
}

// ---- what runs during a search's pumps ----

TEST_F(BuscarTest, ASearchStartedFromAPumpLeavesTheSearchItInterruptedToGoOn) {
    for (int i = 0; i < 20; ++i)
        drive.makeFile(QString("R/F%1/t.wav").arg(i, 2, 10, QChar('0')));
    drive.makeFile("S/s.wav");
    bool innerRan = false;
    QTimer::singleShot(0, [&] {
        innerRan = true;
        search(drive.windows("S"));
    });

    search(drive.windows("R"));

    ASSERT_TRUE(innerRan);
    const QStringList written = lines();
    EXPECT_TRUE(written.contains("D:\\S\\s.wav"));
    EXPECT_TRUE(written.contains("D:\\R\\F19\\t.wav")) << "the interrupted walk went on to its last folder";
    EXPECT_EQ(label(), "0 Proyectos Vips");
}

// ---- the playlist closed during a search ----

TEST_F(BuscarTest, ClosingThePlaylistDuringTheWalkEndsTheSearchWithoutLoadingItAgain) {
    for (int i = 0; i < 20; ++i)
        drive.makeFile(QString("R/F%1/t.wav").arg(i));
    QTimer::singleShot(0, [] { playlist::playList().Unload(); });

    search(drive.windows("R"));

    EXPECT_FALSE(playlist::playList().isLoaded());
    EXPECT_LT(folders().size(), 3) << "the walk goes no further than the entry it was on";
    EXPECT_TRUE(candidates().isEmpty());
}

TEST_F(BuscarTest, ClosingThePlaylistWhileCandidatesAreWrittenEndsTheSearchAndPutsTheBarAway) {
    for (const char* name : {"R/a.vip", "R/b.vip", "R/c.vip"})
        drive.makeFile(name, projectBytes({"C:\\x\\a.wav"}, kSlowScanFiller));
    for (int i = 0; i < 400; ++i)
        drive.makeFile(QString("R/t%1.wav").arg(i, 3, 10, QChar('0')));
    player::player().load();
    // Closed at the first pump that finds the bar shown: while the first project is read, or right after.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (barVisible() && playlist::playList().isLoaded())
            playlist::playList().Unload();
    });
    closer.start(0);

    search(drive.windows("R"));
    closer.stop();

    EXPECT_FALSE(playlist::playList().isLoaded());
    EXPECT_FALSE(barVisible());
    EXPECT_EQ(candidates().size(), 403);
    EXPECT_LT(playlist::playList().NumVips(), 2)
        << "the search ended within the project it was on, or after it";
}

} // namespace
