// The drive table, the mapping of Windows paths to host paths and back, and lossless host names.
#include "platform/runtime/Errors.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"
#include "tests/support/ErrorCapture.h"
#include "tests/support/TempDrive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using testing_support::TempDrive;

using fixtures::errorNumberOf;

QString tableText(const std::vector<rt::Drive>& drives) {
    QStringList lines;
    for (const rt::Drive& drive : drives)
        lines << QString("%1 %2 %3").arg(drive.letter).arg(drive.hostRoot).arg(drive.type);
    return lines.join('\n');
}

class DriveTableTest : public ::testing::Test {
  protected:
    QString writeMounts(const QByteArray& text) {
        const QString path = dir_.filePath("mounts");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    QString makeDrivesFolder() {
        QDir(dir_.path()).mkpath("drives");
        return dir_.filePath("drives");
    }
    QString makeFolder(const QString& name) {
        QDir(dir_.path()).mkpath(name);
        return dir_.filePath(name);
    }
    void link(const QString& drivesFolder, const QString& name, const QString& target) {
        ASSERT_TRUE(QFile::link(target, drivesFolder + '/' + name));
    }
    QTemporaryDir dir_;
};

TEST_F(DriveTableTest, MountsTakeLettersFromDInMountOrderWithTheirTypes) {
    const QString mounts = writeMounts("/dev/vda / ext4 rw,relatime 0 0\n"
                                       "proc /proc proc rw 0 0\n"
                                       "/dev/sdb1 /media/ana/USB\\040Stick vfat rw 0 0\n"
                                       "srv:/export /mnt/nas nfs4 rw 0 0\n"
                                       "/dev/sr0 /run/media/ana/DISC iso9660 ro 0 0\n"
                                       "tmpfs /mnt/ram tmpfs rw 0 0\n"
                                       "systemd-1 /mnt/auto autofs rw 0 0\n"
                                       "/dev/sdc1 /mnt/data ext4 rw 0 0\n"
                                       "/dev/sdd1 /home ext4 rw 0 0\n"
                                       "//nas/music /media/ana/music cifs rw 0 0\n"
                                       "/dev/sdc2 /mnt/data xfs rw 0 0\n"
                                       "/dev/sde1 /mediafiles ext4 rw 0 0\n");
    EXPECT_EQ(tableText(rt::buildDriveTable(mounts, {})).toStdString(), "C / 3\n"
                                                                        "D /media/ana/USB Stick 2\n"
                                                                        "E /mnt/nas 4\n"
                                                                        "F /run/media/ana/DISC 5\n"
                                                                        "G /mnt/ram 6\n"
                                                                        "H /mnt/data 3\n"
                                                                        "I /media/ana/music 4");
}

TEST_F(DriveTableTest, LettersStopAtZ) {
    QByteArray text;
    for (int i = 0; i < 30; ++i)
        text += "/dev/x /mnt/disk" + QByteArray::number(i) + " ext4 rw 0 0\n";
    const std::vector<rt::Drive> drives = rt::buildDriveTable(writeMounts(text), {});
    ASSERT_EQ(drives.size(), 24u); // C, then D..Z
    EXPECT_EQ(drives.back().letter, u'Z');
    EXPECT_EQ(drives.back().hostRoot, "/mnt/disk22");
}

TEST_F(DriveTableTest, DrivesFolderAddsAndReplacesLettersTypedByTheirMount) {
    const QString disc = makeFolder("disc/Samples");
    const QString music = makeFolder("music");
    const QString system = makeFolder("system");
    const QString mounts = writeMounts("/dev/vda / ext4 rw 0 0\n"
                                       "/dev/sr0 " +
                                       dir_.filePath("disc").toUtf8() +
                                       " udf ro 0 0\n"
                                       "/dev/sdb1 /media/usb vfat rw 0 0\n"
                                       "/dev/sdc1 /mnt/data ext4 rw 0 0\n");
    const QString drives = makeDrivesFolder();
    link(drives, "d:", disc);                  // a letter the mounts would have taken
    link(drives, "M:", music);                 // upper-case names count too
    link(drives, "c:", system);                // replaces C:
    link(drives, "q:", dir_.filePath("gone")); // dangling: no drive
    link(drives, "r::", music);                // a device entry, not a drive
    const std::vector<rt::Drive> table = rt::buildDriveTable(mounts, drives);
    EXPECT_EQ(tableText(table).toStdString(), QString("C %1 3\n"
                                                      "D %2 5\n"
                                                      "E /media/usb 2\n"
                                                      "F /mnt/data 3\n"
                                                      "M %3 3")
                                                  .arg(system, disc, music)
                                                  .toStdString());
}

TEST_F(DriveTableTest, HostTableReadsTheUsersDrivesFolder) {
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QString music = makeFolder("music");
    QDir(dir_.path()).mkpath("config/ondara/drives");
    link(dir_.filePath("config/ondara/drives"), "w:", music);
    qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
    rt::resetDriveTable();
    const std::vector<rt::Drive> table = rt::driveTable();
    if (hadConfig)
        qputenv("XDG_CONFIG_HOME", savedConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
    rt::resetDriveTable();

    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.front().letter, u'C');
    EXPECT_EQ(table.front().hostRoot, "/");
    const auto w =
        std::find_if(table.begin(), table.end(), [](const rt::Drive& d) { return d.letter == u'W'; });
    ASSERT_NE(w, table.end());
    EXPECT_EQ(w->hostRoot, music);
}

// ---------------------------------------------------------------- GetDriveTypeA

TEST(GetDriveTypeA, ReportsTheTableTypeForARootAndNoRootOtherwise) {
    rt::setDriveTableForTesting({{u'C', "/", rt::kDriveFixed},
                                 {u'd', "/media/usb", rt::kDriveRemovable},
                                 {u'F', "/media/cd", rt::kDriveCdRom}});
    EXPECT_EQ(rt::GetDriveTypeA("C:\\"), rt::kDriveFixed);
    EXPECT_EQ(rt::GetDriveTypeA("d:\\"), rt::kDriveRemovable);
    EXPECT_EQ(rt::GetDriveTypeA("D:"), rt::kDriveRemovable);
    EXPECT_EQ(rt::GetDriveTypeA("D:/"), rt::kDriveRemovable);
    EXPECT_EQ(rt::GetDriveTypeA("F:\\"), rt::kDriveCdRom);
    EXPECT_EQ(rt::GetDriveTypeA("E:\\"), rt::kDriveNoRootDir);
    EXPECT_EQ(rt::GetDriveTypeA("D:\\Audio"), rt::kDriveNoRootDir);
    EXPECT_EQ(rt::GetDriveTypeA(""), rt::kDriveNoRootDir);
    EXPECT_EQ(rt::GetDriveTypeA("\\\\server\\share\\"), rt::kDriveNoRootDir);
    rt::resetDriveTable();
}

// ---------------------------------------------------------------- hostPathOf

TEST(HostPathOf, MatchesComponentsWithoutRegardToCase) {
    TempDrive drive;
    drive.makeFile("Audio/Take 1.WAV");
    EXPECT_EQ(rt::hostPathOf("X:\\audio\\take 1.wav"), drive.host("Audio/Take 1.WAV"));
    EXPECT_EQ(rt::hostPathOf("x:/AUDIO/TAKE 1.wav"), drive.host("Audio/Take 1.WAV"));
    EXPECT_TRUE(QFile::exists(rt::hostPathOf("X:\\audio\\take 1.wav")));
}

TEST(HostPathOf, ExactNameWinsAndSeveralCaselessMatchesTakeTheFirstSorted) {
    TempDrive drive;
    drive.makeFile("mix/a.wav");
    drive.makeFile("mix/A.wav");
    drive.makeFile("mix/b.WAV");
    EXPECT_EQ(rt::hostPathOf("X:\\MIX\\a.wav"), drive.host("mix/a.wav"));
    EXPECT_EQ(rt::hostPathOf("X:\\MIX\\A.wav"), drive.host("mix/A.wav"));
    EXPECT_EQ(rt::hostPathOf("X:\\MIX\\a.WAV"), drive.host("mix/A.wav"));
    EXPECT_EQ(rt::hostPathOf("X:\\mix\\B.wav"), drive.host("mix/b.WAV"));
}

TEST(HostPathOf, KeepsMissingComponentsAsTypedAndTheTrailingSeparator) {
    TempDrive drive;
    drive.makeFolder("Audio");
    EXPECT_EQ(rt::hostPathOf("X:\\audio\\Gone\\x.wav"), drive.host("Audio/Gone/x.wav"));
    EXPECT_EQ(rt::hostPathOf("X:\\audio\\"), drive.host("Audio/"));
    EXPECT_EQ(rt::hostPathOf("X:\\"), drive.hostRoot() + '/');
    EXPECT_EQ(rt::hostPathOf("X:"), drive.hostRoot());
    EXPECT_EQ(rt::hostPathOf("X:audio"), drive.host("Audio"));
}

TEST(HostPathOf, DotDotNeverLeavesTheDriveRoot) {
    TempDrive drive;
    drive.makeFile("a/b.wav");
    EXPECT_EQ(rt::hostPathOf("X:\\..\\..\\a\\b.wav"), drive.host("a/b.wav"));
    EXPECT_EQ(rt::hostPathOf("X:\\a\\..\\..\\..\\etc\\passwd"), drive.host("etc/passwd"));
    EXPECT_EQ(rt::hostPathOf("X:\\a\\.\\.\\b.wav"), drive.host("a/b.wav"));
}

TEST(HostPathOf, UnknownDriveAndRelativePathsAreNotFound) {
    TempDrive drive;
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf("Q:\\a.wav"); }), rt::kPathNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf("Audio\\a.wav"); }), rt::kPathNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf("\\Audio\\a.wav"); }), rt::kPathNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf("\\\\server\\share\\a.wav"); }), rt::kPathNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf(""); }), rt::kPathNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::hostPathOf("1:\\a"); }), rt::kPathNotFound);
}

TEST(HostPathOf, NameThatIsNotUtf8MapsBackToTheSameFile) {
    TempDrive drive;
    const QString name = rt::hostString("caf\xE9.wav");
    drive.makeFile(name, "bytes");
    const QByteArray host = rt::hostBytes(rt::hostPathOf(drive.windows(name)));
    EXPECT_EQ(host, rt::hostBytes(drive.hostRoot()) + "/caf\xE9.wav");
    EXPECT_EQ(::access(host.constData(), R_OK), 0);
    // Typed on Windows, the same name is "CAFÉ.WAV" in the system code page.
    EXPECT_EQ(rt::hostBytes(rt::hostPathOf("X:\\CAF\u00C9.WAV")), host);
}

// ---------------------------------------------------------------- windowsPathOf

TEST(WindowsPathOf, TakesTheDriveWithTheLongestRootOnWholeComponents) {
    rt::setDriveTableForTesting({{u'C', "/", rt::kDriveFixed},
                                 {u'D', "/media/usb", rt::kDriveRemovable},
                                 {u'E', "/media/usb/inner", rt::kDriveRemovable}});
    EXPECT_EQ(rt::windowsPathOf("/media/usb/Audio/a.wav"), "D:\\Audio\\a.wav");
    EXPECT_EQ(rt::windowsPathOf("/media/usb/inner/x.vip"), "E:\\x.vip");
    EXPECT_EQ(rt::windowsPathOf("/media/usb2/a.wav"), "C:\\media\\usb2\\a.wav");
    EXPECT_EQ(rt::windowsPathOf("/media/usb"), "D:\\");
    EXPECT_EQ(rt::windowsPathOf("/media/usb/"), "D:\\");
    EXPECT_EQ(rt::windowsPathOf("/home/ana/Audio/"), "C:\\home\\ana\\Audio\\");
    EXPECT_EQ(rt::windowsPathOf("/home/ana/../bo/./a.wav"), "C:\\home\\bo\\a.wav");
    EXPECT_EQ(rt::windowsPathOf("/"), "C:\\");
    EXPECT_EQ(rt::windowsPathOf(""), "");
    rt::resetDriveTable();
}

TEST(WindowsPathOf, PathOutsideEveryDriveGivesEmpty) {
    rt::setDriveTableForTesting({{u'C', "/srv/c", rt::kDriveFixed}});
    EXPECT_EQ(rt::windowsPathOf("/home/a.wav"), "");
    EXPECT_EQ(rt::windowsPathOf("/srv/c/a.wav"), "C:\\a.wav");
    rt::resetDriveTable();
}

TEST(WindowsPathOf, RoundTripsWithHostPathOf) {
    TempDrive drive;
    drive.makeFile("Proyectos/Canción 1/mezcla.vip");
    const QString host = drive.host("Proyectos/Canción 1/mezcla.vip");
    const QString windows = rt::windowsPathOf(host);
    EXPECT_EQ(windows, "X:\\Proyectos\\Canción 1\\mezcla.vip");
    EXPECT_EQ(rt::hostPathOf(windows), host);
}

// ---------------------------------------------------------------- host names

TEST(HostNames, ValidUtf8IsPlainUtf8) {
    const QByteArray name = "Canci\xC3\xB3n \xF0\x9F\x8E\xB5.wav"; // a pair of surrogates stays a pair
    EXPECT_EQ(rt::hostString(name), QString::fromUtf8(name));
    EXPECT_EQ(rt::hostBytes(QString::fromUtf8(name)), name);
    const QByteArray withMark = "\xEF\xBB\xBFmark.wav";
    EXPECT_EQ(rt::hostString(withMark).size(), 9);
    EXPECT_EQ(rt::hostBytes(rt::hostString(withMark)), withMark);
}

TEST(HostNames, InvalidBytesRoundTripAndStayDistinct) {
    const QList<QByteArray> names = {
        "caf\xE9",       "caf\xE8",          "\xC3",         "a\xC3(b",  "\xC0\xAF",
        "\xED\xA0\x80x", "\xF4\x90\x80\x80", "\xF0\x9F\x8E", "\xFF\xFE", "ok\xE9\xC3\xA9"};
    QStringList decoded;
    for (const QByteArray& name : names) {
        decoded << rt::hostString(name);
        EXPECT_EQ(rt::hostBytes(decoded.back()), name) << name.toHex().toStdString();
        EXPECT_FALSE(decoded.back().contains(QChar::ReplacementCharacter));
    }
    EXPECT_NE(decoded[0], decoded[1]);
    EXPECT_EQ(decoded.last(), QString("ok") + QChar(0xDCE9) + QChar(0xE9));
}

} // namespace
