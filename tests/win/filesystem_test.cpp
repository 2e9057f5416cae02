// Attributes, the global directory listing, file lengths, the existence test and file titles.
#include "platform/base/Errors.h"
#include "platform/win/FileSystem.h"
#include "platform/win/HostNames.h"
#include "tests/support/ErrorCapture.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDrive.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using testing_support::TempDrive;

using fixtures::errorNumberOf;

// Every name the current listing still has.
QStringList restOfListing(QString first) {
    QStringList names;
    for (QString name = std::move(first); !name.isEmpty(); name = rt::Dir())
        names << name;
    return names;
}

QStringList listing(const QString& path, int attributes = rt::kAttrNormal) {
    return restOfListing(rt::Dir(path, attributes));
}

void makeFifo(const TempDrive& drive, const QString& name) {
    ASSERT_EQ(::mkfifo(rt::hostBytes(drive.host(name)).constData(), 0644), 0);
}

// A bound Unix socket: the file stays after the descriptor is closed.
void makeSocket(const TempDrive& drive, const QString& name) {
    const QByteArray path = rt::hostBytes(drive.host(name));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

using fixtures::asOrdinaryUser;

// The system's folder walk: list a level's subfolders while the global listing holds it, then descend.
// Only entries that are exactly folders are entered.
void walkCollectingFirst(const QString& folder, QStringList& found) {
    const QString root = folder + "\\";
    QStringList subfolders;
    for (QString name = rt::Dir(root, rt::kAttrDirectory); !name.isEmpty(); name = rt::Dir()) {
        if (name != "." && name != ".." && rt::GetAttr(root + name) == rt::kAttrDirectory)
            subfolders << root + name;
    }
    for (const QString& subfolder : subfolders) {
        found << subfolder;
        walkCollectingFirst(subfolder, found);
    }
}

// The same walk finding its place again after each descent: list the level anew and pass over the
// entries already handled (the deeper levels used the one global listing meanwhile).
void walkRelisting(const QString& folder, QStringList& found) {
    const QString root = folder + "\\";
    QString name = rt::Dir(root, rt::kAttrDirectory);
    for (int k = 1; !name.isEmpty(); ++k) {
        if (name != "." && name != ".." && rt::GetAttr(root + name) == rt::kAttrDirectory) {
            found << root + name;
            walkRelisting(root + name, found);
            name = rt::Dir(root, rt::kAttrDirectory);
            for (int skipped = 1; skipped < k; ++skipped)
                name = rt::Dir();
        }
        name = rt::Dir();
    }
}

// ---------------------------------------------------------------- Dir before any listing

// First in this file: the listing is process-wide and nothing before it may start one.
TEST(Dir, NextNameWithNoListingStartedIsAnInvalidCall) {
    EXPECT_EQ(errorNumberOf([] { rt::Dir(); }), rt::kInvalidProcedureCall);
}

// ---------------------------------------------------------------- GetAttr

TEST(GetAttr, ReportsFilesFoldersHiddenNamesAndLinksWithoutFollowingThem) {
    TempDrive drive;
    drive.makeFile("take.wav", "RIFF");
    drive.makeFile(".hidden.vip");
    drive.makeFolder("Audio");
    drive.makeFolder(".cache");
    drive.makeLink("AudioLink", drive.host("Audio"));
    drive.makeLink(".fileLink", drive.host("take.wav"));
    drive.makeLink("dangling", drive.host("nothing"));
    EXPECT_EQ(rt::GetAttr(drive.windows("take.wav")), rt::kAttrNormal);
    EXPECT_EQ(rt::GetAttr(drive.windows(".hidden.vip")), rt::kAttrHidden);
    EXPECT_EQ(rt::GetAttr(drive.windows("Audio")), rt::kAttrDirectory);
    EXPECT_EQ(rt::GetAttr(drive.windows("AUDIO\\")), rt::kAttrDirectory);
    EXPECT_EQ(rt::GetAttr(drive.windows(".cache")), rt::kAttrDirectory | rt::kAttrHidden);
    EXPECT_EQ(rt::GetAttr(drive.windows("AudioLink")), rt::kAttrReparsePoint);
    EXPECT_EQ(rt::GetAttr(drive.windows("AudioLink\\")), rt::kAttrReparsePoint);
    EXPECT_EQ(rt::GetAttr(drive.windows(".fileLink")), rt::kAttrReparsePoint | rt::kAttrHidden);
    EXPECT_EQ(rt::GetAttr(drive.windows("dangling")), rt::kAttrReparsePoint);
    EXPECT_EQ(rt::GetAttr("X:\\"), rt::kAttrDirectory);
    EXPECT_EQ(rt::GetAttr("X:\\Audio\\.."), rt::kAttrDirectory);
}

TEST(GetAttr, PipesAndSocketsAreSystemFilesAndAreNeverOpened) {
    TempDrive drive;
    makeFifo(drive, "pipe"); // opening it for reading would block with no writer
    makeSocket(drive, ".sock");
    EXPECT_EQ(rt::GetAttr(drive.windows("pipe")), rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr(drive.windows(".sock")), rt::kAttrSystem | rt::kAttrHidden);
}

TEST(GetAttr, FileTheUserCannotWriteIsReadOnly) {
    TempDrive drive;
    drive.makeFile("locked.wav");
    drive.makeFile("open.wav");
    drive.makeFolder("lockedFolder");
    ::chmod(rt::hostBytes(drive.host("locked.wav")).constData(), 0444);
    ::chmod(rt::hostBytes(drive.host("open.wav")).constData(), 0666);
    ::chmod(rt::hostBytes(drive.host("lockedFolder")).constData(), 0555);
    EXPECT_EQ(asOrdinaryUser([&] { return rt::GetAttr(drive.windows("locked.wav")); }), rt::kAttrReadOnly);
    EXPECT_EQ(asOrdinaryUser([&] { return rt::GetAttr(drive.windows("open.wav")); }), rt::kAttrNormal);
    // A folder's write permission is about adding names to it: the folder stays a plain folder.
    EXPECT_EQ(asOrdinaryUser([&] { return rt::GetAttr(drive.windows("lockedFolder")); }), rt::kAttrDirectory);
}

TEST(GetAttr, MissingPathsAndUnknownDrivesRaise) {
    TempDrive drive;
    drive.makeFile("take.wav");
    EXPECT_EQ(errorNumberOf([&] { rt::GetAttr(drive.windows("missing.wav")); }), rt::kFileNotFound);
    EXPECT_EQ(errorNumberOf([&] { rt::GetAttr(drive.windows("nofolder\\take.wav")); }), rt::kFileNotFound);
    EXPECT_EQ(errorNumberOf([&] { rt::GetAttr(drive.windows("take.wav\\")); }), rt::kFileNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::GetAttr("Q:\\take.wav"); }), rt::kPathNotFound);
}

// ---------------------------------------------------------------- Dir

class DirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"a.vip", "B.VIP", "c.wav", "noext", "d.vipx", "e.vip.bak", ".hidden.vip",
                                 "Take 1.WAV", "ab.wav", "abc.wav"})
            drive_.makeFile(name);
        drive_.makeFolder("sub.vip");
        drive_.makeFolder(".hiddenFolder");
        drive_.makeLink("linkToSub", drive_.host("sub.vip"));
        makeFifo(drive_, "pipe.vip");
    }
    TempDrive drive_;
};

TEST_F(DirTest, PatternsFollowTheRuntimesWildcardsWithoutRegardToCase) {
    EXPECT_EQ(listing("X:\\*.vip"), QStringList({"a.vip", "B.VIP"}));
    EXPECT_EQ(listing("x:\\*.WAV"), QStringList({"ab.wav", "abc.wav", "c.wav", "Take 1.WAV"}));
    EXPECT_EQ(listing("X:\\*."), QStringList({"noext"})); // a link to a folder is no file
    EXPECT_EQ(listing("X:\\?.wav"), QStringList({"c.wav"}));
    EXPECT_EQ(listing("X:\\ab?.wav"), QStringList({"ab.wav", "abc.wav"}));
    EXPECT_EQ(listing("X:\\take 1.wav"), QStringList({"Take 1.WAV"}));
    EXPECT_EQ(listing("X:*.vip"), QStringList({"a.vip", "B.VIP"}));
    const QStringList everything = {"a.vip",  "ab.wav",    "abc.wav", "B.VIP",     "c.wav",
                                    "d.vipx", "e.vip.bak", "noext",   "Take 1.WAV"};
    EXPECT_EQ(listing("X:\\*.*"), everything);
    EXPECT_EQ(listing("X:\\*"), everything);
    EXPECT_EQ(listing("X:\\"), everything);
}

TEST_F(DirTest, AnEntryNamedExactlyAsTheLastComponentIsTheListingAlone) {
    for (const char* name : {"w/!antes.wav", "w/*", "w/a*b.vip", "w/aab.vip", "w/a.wav"})
        drive_.makeFile(name);
    drive_.makeFolder("w/?.wav");
    EXPECT_EQ(listing("X:\\w\\*"), QStringList({"*"}));
    EXPECT_EQ(listing("X:\\w\\?.wav"), QStringList()); // a refused folder: no pattern match takes its place
    EXPECT_EQ(listing("X:\\w\\?.wav", rt::kAttrDirectory), QStringList({"?.wav"}));
    EXPECT_EQ(listing("X:\\w\\a*b.vip"), QStringList({"a*b.vip"}));
    EXPECT_EQ(listing("X:\\w\\A*B.VIP"), QStringList({"a*b.vip", "aab.vip"})); // no exact name: a pattern
    EXPECT_EQ(listing("X:\\w\\"), QStringList({"!antes.wav", "*", "a*b.vip", "a.wav", "aab.vip"}));
}

TEST_F(DirTest, HiddenSystemAndFoldersOnlyWhenAsked) {
    EXPECT_EQ(listing("X:\\*.vip", rt::kAttrHidden), QStringList({".hidden.vip", "a.vip", "B.VIP"}));
    EXPECT_EQ(listing("X:\\*.vip", rt::kAttrSystem), QStringList({"a.vip", "B.VIP", "pipe.vip"}));
    EXPECT_EQ(listing("X:\\*.vip", rt::kAttrDirectory), QStringList({"a.vip", "B.VIP", "sub.vip"}));
    EXPECT_EQ(listing("X:\\*.vip", rt::kAttrVolume), QStringList({"a.vip", "B.VIP"}));
    EXPECT_EQ(listing("X:\\.h*", rt::kAttrDirectory), QStringList());
    EXPECT_EQ(listing("X:\\.h*", rt::kAttrDirectory | rt::kAttrHidden),
              QStringList({".hidden.vip", ".hiddenFolder"}));
}

TEST_F(DirTest, DotEntriesAreFoldersOfSubfoldersButNotOfTheDriveRoot) {
    drive_.makeFile("sub.vip/inner.wav");
    EXPECT_EQ(listing("X:\\sub.vip\\", rt::kAttrDirectory), QStringList({".", "..", "inner.wav"}));
    EXPECT_EQ(listing("X:\\sub.vip\\"), QStringList({"inner.wav"}));
    EXPECT_FALSE(listing("X:\\", rt::kAttrDirectory).contains("."));
    EXPECT_FALSE(listing("X:\\", rt::kAttrDirectory).contains(".."));
}

TEST_F(DirTest, FolderSpecNamesTheFolderItself) {
    EXPECT_EQ(listing("X:\\SUB.VIP", rt::kAttrDirectory), QStringList({"sub.vip"}));
    EXPECT_EQ(listing("X:\\sub.vip"), QStringList());
}

TEST_F(DirTest, MissingFolderUnknownDriveAndRelativeSpecGiveAnEmptyListing) {
    EXPECT_EQ(rt::Dir("X:\\nowhere\\*.*", rt::kAttrDirectory), "");
    EXPECT_EQ(rt::Dir(), "");
    EXPECT_EQ(rt::Dir("X:\\c.wav\\*.*"), "");
    EXPECT_EQ(rt::Dir("Q:\\*.*"), "");
    EXPECT_EQ(rt::Dir("*.*"), "");
    EXPECT_EQ(rt::Dir(""), "");
    EXPECT_EQ(rt::Dir(), "");
}

TEST_F(DirTest, EndOfListingKeepsGivingEmpty) {
    EXPECT_EQ(rt::Dir("X:\\c.wav"), "c.wav");
    EXPECT_EQ(rt::Dir(), "");
    EXPECT_EQ(rt::Dir(), "");
    EXPECT_EQ(rt::Dir(), "");
}

TEST_F(DirTest, NewSpecInTheMiddleRestartsTheOneListing) {
    EXPECT_EQ(rt::Dir("X:\\*.wav"), "ab.wav");
    EXPECT_EQ(rt::Dir(), "abc.wav");
    EXPECT_EQ(rt::Dir("X:\\*.vip"), "a.vip");
    EXPECT_EQ(rt::Dir(), "B.VIP");
    EXPECT_EQ(rt::Dir(), "");
}

TEST_F(DirTest, ListingIsASnapshotTakenWhenItStarts) {
    EXPECT_EQ(rt::Dir("X:\\*.wav"), "ab.wav");
    drive_.makeFile("aa.wav");
    ASSERT_EQ(::unlink(rt::hostBytes(drive_.host("c.wav")).constData()), 0);
    EXPECT_EQ(restOfListing(rt::Dir()), QStringList({"abc.wav", "c.wav", "Take 1.WAV"}));
}

TEST_F(DirTest, FolderPartMatchesWithoutRegardToCase) {
    drive_.makeFile("Audio/Take 1.WAV");
    EXPECT_EQ(listing("X:\\AUDIO\\*.wav"), QStringList({"Take 1.WAV"}));
}

TEST(DirNames, NameThatIsNotUtf8IsListedAndLeadsBackToItsFile) {
    TempDrive drive;
    drive.makeFile(rt::hostString("caf\xE9.wav"), "12345");
    drive.makeFile(rt::hostString("caf\xE8.wav"), "123");
    const QStringList names = listing("X:\\*.wav");
    ASSERT_EQ(names.size(), 2);
    EXPECT_NE(names[0], names[1]);
    for (const QString& name : names) {
        const QByteArray bytes = rt::hostBytes(rt::hostPathOf("X:\\" + name));
        EXPECT_EQ(::access(bytes.constData(), F_OK), 0);
        EXPECT_EQ(rt::FileLen("X:\\" + name), bytes.endsWith("\xE9.wav") ? 5 : 3);
        EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\" + name));
    }
}

// ---------------------------------------------------------------- walks

class WalkTest : public ::testing::Test {
  protected:
    // R with X (holding Z) and Y; around them what a walk must not enter: a hidden folder, a link back
    // to R (a loop), a link to Y, and a pipe.
    void SetUp() override {
        drive_.makeFile("R/X/Z/deep.vip");
        drive_.makeFile("R/Y/b.wav");
        drive_.makeFile("R/a.wav");
        drive_.makeFolder("R/.git/objects");
        drive_.makeLink("R/X/loop", drive_.host("R"));
        drive_.makeLink("R/Y/toY", drive_.host("R/Y"));
        makeFifo(drive_, "R/X/pipe");
    }
    TempDrive drive_;
    const QStringList expected_ = {"X:\\R\\X", "X:\\R\\X\\Z", "X:\\R\\Y"};
};

TEST_F(WalkTest, CollectingSubfoldersFirstVisitsEachFolderOnceAndEnds) {
    QStringList found;
    walkCollectingFirst("X:\\R", found);
    EXPECT_EQ(found, expected_);
}

TEST_F(WalkTest, RelistingAfterEachDescentVisitsEachFolderOnceAndEnds) {
    QStringList found;
    walkRelisting("X:\\R", found);
    EXPECT_EQ(found, expected_);
}

// ---------------------------------------------------------------- FileLen, existence

TEST(FileLen, CountsBytesThroughLinksAndRaisesForMissingFiles) {
    TempDrive drive;
    drive.makeFile("Audio/take.wav", QByteArray(1234, 'x'));
    drive.makeFile("empty.vip");
    drive.makeLink("link.wav", drive.host("Audio/take.wav"));
    EXPECT_EQ(rt::FileLen("X:\\audio\\TAKE.WAV"), 1234);
    EXPECT_EQ(rt::FileLen("X:\\link.wav"), 1234);
    EXPECT_EQ(rt::FileLen("X:\\empty.vip"), 0);
    EXPECT_EQ(errorNumberOf([] { rt::FileLen("X:\\gone.wav"); }), rt::kFileNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::FileLen("Q:\\take.wav"); }), rt::kPathNotFound);
}

TEST(ExistsAsOrdinaryFile, FindsOrdinaryFilesOnlyAndLeavesTheListingAlone) {
    TempDrive drive;
    drive.makeFile("Audio/Take 1.WAV");
    drive.makeFile("Audio/.take.wav");
    drive.makeFolder("Audio/folder.wav");
    makeFifo(drive, "Audio/pipe.wav");
    EXPECT_EQ(rt::Dir("X:\\Audio\\", rt::kAttrDirectory), ".");
    EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\Audio\\Take 1.WAV"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\audio\\take 1.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\Audio\\.take.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\Audio\\folder.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\Audio\\pipe.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\Audio\\gone.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\Audio\\"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("Q:\\Audio\\Take 1.WAV"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("\\\\server\\share\\a.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile(""));
    EXPECT_EQ(rt::Dir(), "..");
}

// ---------------------------------------------------------------- NUL, repeated separators

// The C calls underneath end a path at its first NUL: every check above them must read the same path.
TEST(NulInPaths, APathEndsAtItsFirstNulAndNeverLeavesTheDriveRoot) {
    TempDrive drive;
    const QChar nul(0);
    drive.makeFile("take.wav", "12345");
    drive.makeFile("Audio/inner.wav", "123");
    makeFifo(drive, "pipe.wav");
    const QString rootName = QFileInfo(drive.hostRoot()).fileName();

    // Above the root lies the temporary folder that holds the drive: no listing may reach it.
    EXPECT_EQ(listing(QString("X:\\..") + nul + "\\", rt::kAttrDirectory | rt::kAttrHidden), QStringList());
    EXPECT_EQ(listing(QString("X:\\audio\\..\\..") + nul + "\\*", rt::kAttrDirectory), QStringList());
    EXPECT_EQ(listing(QString("X:\\Audio") + nul + "\\..\\..\\*", rt::kAttrDirectory),
              QStringList({"Audio"}));
    EXPECT_EQ(listing(QString("X:\\audio\\") + nul + "..\\"), QStringList({"inner.wav"}));
    EXPECT_FALSE(listing(QString("X:\\..") + nul + "\\" + rootName, rt::kAttrDirectory).contains(rootName));

    EXPECT_EQ(rt::GetAttr(QString("X:\\take.wav") + nul + "\\"), rt::kAttrNormal);
    EXPECT_EQ(rt::GetAttr(QString("X:\\pipe.wav") + nul + "x.wav"), rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr(QString("X:\\..") + nul + "\\" + rootName), rt::kAttrDirectory);
    EXPECT_EQ(rt::FileLen(QString("X:\\TAKE.WAV") + nul + "junk"), 5);
    EXPECT_EQ(rt::FileLen(QString("X:\\audio\\INNER.wav") + nul + "\\..\\take.wav"), 3);
    EXPECT_EQ(errorNumberOf([&] { rt::FileLen(QString("X:\\gone.wav") + nul + "\\..\\take.wav"); }),
              rt::kFileNotFound);

    EXPECT_TRUE(rt::existsAsOrdinaryFile(QString("X:\\take.wav") + nul + "\\"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile(QString("X:\\Take.WAV") + nul + "x"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile(QString("X:\\pipe.wav") + nul + "x"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile(QString("X:\\gone.wav") + nul + "\\..\\take.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile(QString("X:\\") + nul + "take.wav"));

    EXPECT_EQ(rt::hostPathOf(QString("X:\\..") + nul + "\\" + rootName), drive.hostRoot());
    EXPECT_EQ(rt::hostPathOf(QString("X:\\audio") + nul + "\\x"), drive.host("Audio"));
    EXPECT_EQ(rt::GetDriveTypeA(QString("X:\\") + nul + "junk"), rt::kDriveFixed);
    EXPECT_EQ(rt::windowsPathOf(drive.host("Audio") + nul + "/../.."), "X:\\Audio");
}

// A root folder from the open dialog already ends in "\": a name after it gives a doubled separator.
TEST(RepeatedSeparators, CountAsOneAsOnWindows) {
    TempDrive drive;
    drive.makeFile("take.wav", "12345");
    drive.makeFile("Audio/inner.wav", "123");
    EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\\\take.wav"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\\\AUDIO\\\\\\inner.wav"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile("X://audio\\/inner.wav"));
    EXPECT_EQ(rt::GetAttr("X:\\\\take.wav"), rt::kAttrNormal);
    EXPECT_EQ(rt::GetAttr("X:\\\\Audio\\\\"), rt::kAttrDirectory);
    EXPECT_EQ(rt::FileLen("X:\\\\Audio\\\\inner.wav"), 3);
    EXPECT_EQ(listing("X:\\\\*.wav"), QStringList({"take.wav"}));
    EXPECT_EQ(listing("X:\\\\audio\\\\"), QStringList({"inner.wav"}));
    EXPECT_EQ(rt::hostPathOf("X:\\\\audio\\\\inner.wav"), drive.host("Audio/inner.wav"));
}

// ---------------------------------------------------------------- links, pseudo file systems

// A link is never entered by a walk; as an entry it stands for what it leads to, and a dangling one for
// nothing at all.
TEST(Links, ALinkToAFolderIsNoFileAndADanglingLinkIsNothing) {
    TempDrive drive;
    drive.makeFile("Audio/take.wav", "12345");
    drive.makeLink("folder.wav", drive.host("Audio"));
    drive.makeLink("file.wav", drive.host("Audio/take.wav"));
    drive.makeLink("dangling.wav", drive.host("gone.wav"));
    drive.makeLink("loop.wav", drive.host("loop.wav"));
    makeFifo(drive, "Audio/pipe");
    drive.makeLink("pipe.wav", drive.host("Audio/pipe"));

    EXPECT_EQ(listing("X:\\*.wav"), QStringList({"file.wav"}));
    EXPECT_EQ(listing("X:\\*.wav", rt::kAttrDirectory), QStringList({"file.wav", "folder.wav"}));
    EXPECT_EQ(listing("X:\\*.wav", rt::kAttrSystem), QStringList({"file.wav", "pipe.wav"}));
    EXPECT_EQ(listing("X:\\*", rt::kAttrDirectory | rt::kAttrHidden | rt::kAttrSystem),
              QStringList({"Audio", "file.wav", "folder.wav", "pipe.wav"}));

    EXPECT_TRUE(rt::existsAsOrdinaryFile("X:\\file.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\folder.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\dangling.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\loop.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("X:\\pipe.wav"));
    // Links are still links to the walk: never a folder of its own to enter.
    EXPECT_EQ(rt::GetAttr("X:\\folder.wav"), rt::kAttrReparsePoint);
    EXPECT_EQ(rt::GetAttr("X:\\dangling.wav"), rt::kAttrReparsePoint);
}

class PseudoFileSystems : public ::testing::Test {
  protected:
    void TearDown() override { rt::resetDriveTable(); }
    QString writeMounts(const QString& text) {
        const QString path = folder_.filePath("mounts");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }
    QTemporaryDir folder_;
};

TEST_F(PseudoFileSystems, TheirMountPointsAreSystemFoldersThatNoSearchEnters) {
    TempDrive drive;
    for (const char* name : {"R/proc", "R/sys/fs/cgroup", "R/dev/pts", "R/music", "R/run/user"})
        drive.makeFolder(name);
    const QString r = drive.host("R");
    rt::setHostMountsForTesting(writeMounts("/dev/sda1 / ext4 rw 0 0\n"
                                            "proc " +
                                            r +
                                            "/proc proc rw 0 0\n"
                                            "sysfs " +
                                            r +
                                            "/sys sysfs rw 0 0\n"
                                            "cgroup2 " +
                                            r +
                                            "/sys/fs/cgroup cgroup2 rw 0 0\n"
                                            "devpts " +
                                            r +
                                            "/dev/pts devpts rw 0 0\n"
                                            "tmpfs " +
                                            r +
                                            "/run tmpfs rw 0 0\n"
                                            "/dev/sdb1 " +
                                            r + "/music ext4 rw 0 0\n"),
                                "/nonexistent-sys");
    EXPECT_EQ(rt::GetAttr("X:\\R\\proc"), rt::kAttrDirectory | rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr("X:\\R\\Sys\\"), rt::kAttrDirectory | rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr("X:\\R\\sys\\fs\\cgroup"), rt::kAttrDirectory | rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr("X:\\R\\sys\\fs"), rt::kAttrDirectory);
    EXPECT_EQ(rt::GetAttr("X:\\R\\run"), rt::kAttrDirectory);
    EXPECT_EQ(rt::GetAttr("X:\\R\\music"), rt::kAttrDirectory);
    EXPECT_EQ(listing("X:\\R\\", rt::kAttrDirectory), QStringList({".", "..", "dev", "music", "run"}));
    EXPECT_EQ(listing("X:\\R\\dev\\", rt::kAttrDirectory), QStringList({".", ".."}));
    EXPECT_EQ(listing("X:\\R\\", rt::kAttrDirectory | rt::kAttrSystem),
              QStringList({".", "..", "dev", "music", "proc", "run", "sys"}));
    QStringList found;
    walkCollectingFirst("X:\\R", found);
    EXPECT_EQ(found, QStringList({"X:\\R\\dev", "X:\\R\\music", "X:\\R\\run", "X:\\R\\run\\user"}));
}

// The host's own: a search of C:\ never enters /proc or /sys.
TEST_F(PseudoFileSystems, TheHostsProcAndSysAreSystemFolders) {
    TempDrive drive;
    QFile mounts("/proc/self/mounts");
    ASSERT_TRUE(mounts.open(QIODevice::ReadOnly));
    const QByteArray text = mounts.readAll();
    if (!text.contains(" /proc proc ") || !text.contains(" /sys sysfs "))
        GTEST_SKIP() << "no proc and sysfs at /proc and /sys here";
    EXPECT_EQ(rt::GetAttr("C:\\proc"), rt::kAttrDirectory | rt::kAttrSystem);
    EXPECT_EQ(rt::GetAttr("C:\\sys"), rt::kAttrDirectory | rt::kAttrSystem);
    const QStringList folders = listing("C:\\", rt::kAttrDirectory);
    EXPECT_FALSE(folders.contains("proc"));
    EXPECT_FALSE(folders.contains("sys"));
    EXPECT_TRUE(folders.contains("tmp") || folders.contains("usr"));
}

// ---------------------------------------------------------------- GetFileTitleA

TEST(GetFileTitleA, WritesTheTitleIntoABufferOfNulsTheWayTheScannerReadsIt) {
    QString buffer(255, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA("D:\\Audio\\Take 1.wav", buffer, 255), 0);
    EXPECT_EQ(buffer.size(), 255);
    EXPECT_EQ(buffer.left(buffer.indexOf(QChar(0))), "Take 1.wav");

    buffer = QString(255, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA("mezcla.final.vip", buffer, 255), 0);
    EXPECT_EQ(buffer.left(buffer.indexOf(QChar(0))), "mezcla.final.vip");
    buffer = QString(255, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA("C:/x/a.mp3", buffer, 255), 0);
    EXPECT_EQ(buffer.left(buffer.indexOf(QChar(0))), "a.mp3");
    buffer = QString(255, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA(QString("D:\\b.wav") + QChar(0) + "\\c.wav", buffer, 255), 0);
    EXPECT_EQ(buffer.left(buffer.indexOf(QChar(0))), "b.wav");
}

TEST(GetFileTitleA, TooSmallBufferGetsTheNeededSizeAndIsUntouched) {
    QString buffer(5, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA("D:\\Audio\\Take 1.wav", buffer, 5), 11);
    EXPECT_EQ(buffer, QString(5, QChar(0)));
    buffer = QString(11, QChar(0));
    EXPECT_EQ(rt::GetFileTitleA("D:\\Audio\\Take 1.wav", buffer, 11), 0);
    EXPECT_EQ(buffer, QString("Take 1.wav") + QChar(0));
}

TEST(GetFileTitleA, InvalidNamesGiveANegativeResultAndNoTitle) {
    for (const QString& path : {QString(), QString("D:\\Audio\\"), QString("D:"), QString("D:\\*.wav"),
                                QString("D:\\a?.wav"), QString("D:\\a|b.wav"), QString("D:\\\"a\".wav")}) {
        QString buffer(255, QChar(0));
        EXPECT_LT(rt::GetFileTitleA(path, buffer, 255), 0) << path.toStdString();
        EXPECT_EQ(buffer, QString(255, QChar(0)));
    }
}

// ---------------------------------------------------------------- wildcards

TEST(MatchesWildcard, FollowsTheRuntimesRules) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*", "anything.at.all", true},
        {"*", ".", true},
        {"*.*", "noext", true},
        {"*.*", ".profile", true},
        {"*.*", "..", true},
        {"*.vip", "Song.VIP", true},
        {"*.vip", "song.vipx", false},
        {"*.vip", "a.b.vip", true},
        {"*.vip", "vip", false},
        {"*.", "noext", true},
        {"*.", "with.ext", false},
        {"?.wav", "a.wav", true},
        {"?.wav", ".wav", true},
        {"?.wav", "ab.wav", false},
        {"a??", "a", true},
        {"a??", "abc", true},
        {"a??", "abcd", false},
        {"a?c", "a.c", false},
        {"ab*", "AB", true},
        {"*b*b*b*c", "bbbbbbbbbb", false},
        {"*b*b*b*c", "xbxbxbxc", true},
        {"take 1.wav", "TAKE 1.WAV", true},
        {"a*.wav", "a.wav", true},
        {"", "", true},
        {"", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rt::matchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

} // namespace
