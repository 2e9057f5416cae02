// The drive table, the mapping of Windows paths to host paths and back, and lossless host names.
#include "platform/base/Errors.h"
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

// A fake /sys: disks with the kernel's removable flag, their partitions as subfolders.
class DriveTypesTest : public DriveTableTest {
  protected:
    QString makeSysRoot() {
        makeDisk("sda", "0", {"sda1", "sda2"});
        makeDisk("sdb", "1", {"sdb1"});
        makeDisk("sdc", "1", {});
        makeDisk("mmcblk0", "1", {"mmcblk0p1"});
        makeDisk("nvme0n1", "0", {"nvme0n1p1"});
        return dir_.filePath("sys");
    }
    void makeDisk(const QString& disk, const QByteArray& removable, const QStringList& partitions) {
        const QString folder = makeFolder("sys/block/" + disk);
        for (const QString& partition : partitions)
            makeFolder("sys/block/" + disk + '/' + partition);
        QFile flag(folder + "/removable");
        ASSERT_TRUE(flag.open(QIODevice::WriteOnly));
        flag.write(removable + '\n');
    }
};

TEST_F(DriveTypesTest, EachKindOfMountGetsItsType) {
    const QString mounts = writeMounts("/dev/nvme0n1p1 / ext4 rw 0 0\n"
                                       "/dev/sda2 /mnt/data ext4 rw 0 0\n"
                                       "/dev/sdb1 /mnt/stick vfat rw 0 0\n"
                                       "/dev/sdc /mnt/whole exfat rw 0 0\n"
                                       "/dev/mmcblk0p1 /mnt/card vfat rw 0 0\n"
                                       "/dev/sda1 /media/ana/backup ext4 rw 0 0\n"
                                       "/dev/sda1 /run/media/ana/other ext4 rw 0 0\n"
                                       "srv:/e /mnt/nfs nfs rw 0 0\n"
                                       "srv:/e4 /mnt/nfs4 nfs4 rw 0 0\n"
                                       "//srv/a /mnt/cifs cifs rw 0 0\n"
                                       "//srv/b /mnt/smb smb3 rw 0 0\n"
                                       "//srv/c /mnt/smbfs smbfs rw 0 0\n"
                                       "ana@srv: /mnt/ssh fuse.sshfs rw 0 0\n"
                                       "ana@srv: /mnt/ssh2 sshfs rw 0 0\n"
                                       "drive: /mnt/cloud fuse.rclone rw 0 0\n"
                                       "https://dav /mnt/dav davfs rw 0 0\n"
                                       "/dev/sr0 /mnt/cd iso9660 ro 0 0\n"
                                       "/dev/sr1 /mnt/dvd udf ro 0 0\n"
                                       "tmpfs /mnt/tmp tmpfs rw 0 0\n"
                                       "ramfs /mnt/ram ramfs rw 0 0\n"
                                       "/dev/sdz9 /mnt/unknown ext4 rw 0 0\n");
    EXPECT_EQ(tableText(rt::buildDriveTable(mounts, {}, makeSysRoot())).toStdString(),
              "C / 3\n"
              "D /mnt/data 3\n"
              "E /mnt/stick 2\n"
              "F /mnt/whole 2\n"
              "G /mnt/card 2\n"
              "H /media/ana/backup 2\n"
              "I /run/media/ana/other 2\n"
              "J /mnt/nfs 4\n"
              "K /mnt/nfs4 4\n"
              "L /mnt/cifs 4\n"
              "M /mnt/smb 4\n"
              "N /mnt/smbfs 4\n"
              "O /mnt/ssh 4\n"
              "P /mnt/ssh2 4\n"
              "Q /mnt/cloud 4\n"
              "R /mnt/dav 4\n"
              "S /mnt/cd 5\n"
              "T /mnt/dvd 5\n"
              "U /mnt/tmp 6\n"
              "V /mnt/ram 6\n"
              "W /mnt/unknown 3");
}

TEST_F(DriveTypesTest, LettersFromTheDrivesFolderKeepTheTypeOfWhatTheyPointAt) {
    const QString stick = makeFolder("stick/Audio");
    const QString data = makeFolder("data/Audio");
    const QString memory = makeFolder("memory");
    const QString mounts = writeMounts("/dev/sda2 / ext4 rw 0 0\n"
                                       "/dev/sdb1 " +
                                       dir_.filePath("stick").toUtf8() +
                                       " vfat rw 0 0\n"
                                       "/dev/sda1 " +
                                       dir_.filePath("data").toUtf8() +
                                       " ext4 rw 0 0\n"
                                       "tmpfs " +
                                       memory.toUtf8() +
                                       " tmpfs rw 0 0\n"
                                       "//nas/music " +
                                       dir_.filePath("nas").toUtf8() + " cifs rw 0 0\n");
    const QString drives = makeDrivesFolder();
    link(drives, "e:", stick);
    link(drives, "f:", data);
    link(drives, "g:", memory);
    // Never looked at: on a dead server even that could hang. It need not exist for the table.
    link(drives, "n:", dir_.filePath("nas/share"));
    EXPECT_EQ(tableText(rt::buildDriveTable(mounts, drives, makeSysRoot())).toStdString(),
              QString("C / 3\n"
                      "E %1 2\n"
                      "F %2 3\n"
                      "G %3 6\n"
                      "N %4 4")
                  .arg(stick, data, memory, dir_.filePath("nas/share"))
                  .toStdString());
}

TEST_F(DriveTypesTest, TheHostTableReadsTheInjectedMountsAndSysRoot) {
    const QString mounts = writeMounts("/dev/sda2 / ext4 rw 0 0\n"
                                       "/dev/sdb1 /mnt/stick vfat rw 0 0\n"
                                       "srv:/e /mnt/nfs nfs rw 0 0\n");
    rt::setHostMountsForTesting(mounts, makeSysRoot());
    const std::vector<rt::Drive> table = rt::driveTable();
    rt::resetDriveTable();
    ASSERT_GE(table.size(), 3u);
    EXPECT_EQ(tableText({table.begin(), table.begin() + 3}).toStdString(), "C / 3\n"
                                                                           "D /mnt/stick 2\n"
                                                                           "E /mnt/nfs 4");
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
