#include "platform/base/Errors.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/Drives.h"

#include "tests/support/ErrorCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rt;
using fixtures::errorNumberOf;

namespace {

class NumberedFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        CloseAll();
    }
    void TearDown() override {
        CloseAll();
        resetDriveTable();
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QTemporaryDir folder_;
};

QByteArray countingBytes(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 256);
    return bytes;
}

} // namespace

TEST_F(NumberedFiles, FreeFileGivesTheLowestFreeNumber) {
    const QString path = writeFile("a.bin", "abc");
    EXPECT_EQ(FreeFile(), 1);
    openHostFileForBinaryRead(1, path);
    openHostFileForBinaryRead(2, path);
    openHostFileForBinaryRead(3, path);
    EXPECT_EQ(FreeFile(), 4);
    Close(2);
    EXPECT_EQ(FreeFile(), 2);
    EXPECT_FALSE(isOpen(2));
    EXPECT_TRUE(isOpen(3));
}

TEST_F(NumberedFiles, EveryNumberTakenIsTooManyFiles) {
    const QString path = writeFile("a.bin", "abc");
    for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number)
        openHostFileForBinaryRead(number, path);
    EXPECT_EQ(errorNumberOf([] { FreeFile(); }), kTooManyFiles);
    Close(kLastFileNumber);
    EXPECT_EQ(FreeFile(), kLastFileNumber);
}

TEST_F(NumberedFiles, PositionsCountFromOne) {
    const QString path = writeFile("a.bin", "RIFF");
    openHostFileForBinaryRead(1, path);
    EXPECT_EQ(GetByte(1, 1), 'R');
    EXPECT_EQ(GetByte(1, 4), 'F');
    EXPECT_EQ(GetBytes(1, 2, 2), QByteArray("IF"));
    EXPECT_EQ(LOF(1), 4);
    EXPECT_EQ(errorNumberOf([] { GetByte(1, 0); }), kBadRecordNumber);
}

TEST_F(NumberedFiles, ReadingPastTheEndGivesZeros) {
    const QString path = writeFile("a.bin", "ab");
    openHostFileForBinaryRead(1, path);
    EXPECT_EQ(GetByte(1, 3), 0);
    EXPECT_EQ(GetByte(1, 1'000'000), 0);
    EXPECT_EQ(GetBytes(1, 2, 4), QByteArray("b\0\0\0", 4));
    EXPECT_EQ(GetBytes(1, 50, 3), QByteArray(3, '\0'));
    EXPECT_EQ(GetByte(1, 2), 'b'); // the window moved back
}

TEST_F(NumberedFiles, BytesAcrossWindowBoundariesReadCorrectly) {
    const QByteArray content = countingBytes(200'000);
    const QString path = writeFile("big.bin", content);
    openHostFileForBinaryRead(7, path);
    ASSERT_EQ(LOF(7), content.size());
    for (const int offset : {0, 65535, 65536, 65537, 131071, 199'999, 100, 70'000})
        EXPECT_EQ(GetByte(7, offset + 1), std::uint8_t(content[offset])) << offset;
    EXPECT_EQ(GetBytes(7, 65530, 20), content.mid(65529, 20));
    QByteArray all;
    for (int offset = 0; offset < content.size(); ++offset)
        all.append(char(GetByte(7, offset + 1)));
    EXPECT_EQ(all, content);
}

TEST_F(NumberedFiles, CloseAllClosesEveryNumber) {
    const QString path = writeFile("a.bin", "x");
    openHostFileForBinaryRead(1, path);
    openHostFileForBinaryRead(5, path);
    CloseAll();
    EXPECT_FALSE(isOpen(1));
    EXPECT_FALSE(isOpen(5));
    EXPECT_EQ(errorNumberOf([] { GetByte(5, 1); }), kBadFileNumber);
    EXPECT_EQ(FreeFile(), 1);
}

TEST_F(NumberedFiles, BadNumbersAndNumbersInUse) {
    const QString path = writeFile("a.bin", "x");
    EXPECT_EQ(errorNumberOf([] { GetByte(3, 1); }), kBadFileNumber);
    EXPECT_EQ(errorNumberOf([] { LOF(3); }), kBadFileNumber);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(0, path); }), kBadFileNumber);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(512, path); }), kBadFileNumber);
    EXPECT_EQ(errorNumberOf([] { Close(0); }), kBadFileNumber);
    EXPECT_EQ(errorNumberOf([] { Close(9); }), 0); // not open: nothing to do
    openHostFileForBinaryRead(2, path);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(2, path); }), kFileAlreadyOpen);
    EXPECT_TRUE(isOpen(2));
    EXPECT_FALSE(isOpen(0));
    EXPECT_FALSE(isOpen(-4));
}

TEST_F(NumberedFiles, MissingFilesAndFolders) {
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, folder_.filePath("none.wav")); }),
              kFileNotFound);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, folder_.filePath("no/dir/a.wav")); }),
              kPathNotFound);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, folder_.path()); }), kPathFileAccessError);
    EXPECT_FALSE(isOpen(1));
}

// Root reads every file, so as root the open is tried in a child that runs as nobody.
TEST_F(NumberedFiles, UnreadableFileIsPermissionDenied) {
    const QString path = writeFile("secret.bin", "x");
    ASSERT_EQ(::chmod(QFile::encodeName(folder_.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, path); }), kPermissionDenied);
        return;
    }
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(255);
        ::_exit(errorNumberOf([&] { openHostFileForBinaryRead(1, path); }));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kPermissionDenied);
}

TEST_F(NumberedFiles, PipeIsNeverOpenedAndNeverBlocks) {
    const QString path = folder_.filePath("pipe.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, path); }), kPathFileAccessError);
    // A blocking open of a pipe without a writer would never return; this one must come back at once.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(isOpen(1));
}

TEST_F(NumberedFiles, SocketAndDeviceAreNotOpened) {
    const QString socketPath = folder_.filePath("s");
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(descriptor, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(native.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    ASSERT_EQ(::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(1, socketPath); }), kPathFileAccessError);
    ::close(descriptor);
    EXPECT_EQ(errorNumberOf([] { openHostFileForBinaryRead(1, "/dev/null"); }), kPathFileAccessError);
}

TEST_F(NumberedFiles, SymbolicLinkToAFileIsRead) {
    const QString target = writeFile("target.bin", "linked");
    const QString link = folder_.filePath("link.bin");
    ASSERT_TRUE(QFile::link(target, link));
    openHostFileForBinaryRead(1, link);
    EXPECT_EQ(GetBytes(1, 1, 6), QByteArray("linked"));
}

TEST_F(NumberedFiles, HostNamesWithNonAsciiCharacters) {
    const QString path = writeFile(QString::fromUtf16(u"canción ñ.wav"), "RIFF");
    openHostFileForBinaryRead(1, path);
    EXPECT_EQ(GetByte(1, 1), 'R');
}

TEST_F(NumberedFiles, WindowsPathsGoThroughTheDriveTable) {
    ASSERT_TRUE(QDir(folder_.path()).mkpath("Audio/Take"));
    const QString path = writeFile("Audio/Take/One.wav", "RIFF");
    setDriveTableForTesting({Drive{QChar('Q'), folder_.path(), kDriveFixed}});
    // Paths typed on Windows may differ in case from the host's names.
    OpenForBinaryRead(3, "q:\\AUDIO\\take\\one.WAV");
    EXPECT_EQ(GetBytes(3, 1, 4), QByteArray("RIFF"));
    EXPECT_EQ(errorNumberOf([] { OpenForBinaryRead(3, "Q:\\Audio\\Take\\One.wav"); }), kFileAlreadyOpen);
    EXPECT_EQ(errorNumberOf([] { OpenForBinaryRead(4, "Q:\\Audio\\Take\\Two.wav"); }), kFileNotFound);
    EXPECT_NE(errorNumberOf([] { OpenForBinaryRead(4, "Z:\\Audio\\x.wav"); }), 0);
    EXPECT_EQ(errorNumberOf([] { OpenForBinaryRead(4, "Q:\\Audio\\Take"); }), kPathFileAccessError);
    EXPECT_FALSE(isOpen(4));
}

// The C calls underneath read a path up to its first NUL; the checks above them must read the same one.
TEST_F(NumberedFiles, APathEndsAtItsFirstNul) {
    const QChar nul(0);
    writeFile("take.wav", "RIFF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder_.filePath("pipe.wav")).constData(), 0600), 0);
    setDriveTableForTesting({Drive{QChar('Q'), folder_.path(), kDriveFixed}});

    OpenForBinaryRead(1, QString("Q:\\TAKE.WAV") + nul + "\\..\\other.wav");
    EXPECT_EQ(GetByte(1, 1), 'R');
    openHostFileForBinaryRead(2, folder_.filePath("take.wav") + nul + "/../pipe.wav");
    EXPECT_EQ(LOF(2), 4);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { OpenForBinaryRead(3, QString("Q:\\pipe.wav") + nul + "x"); }),
              kPathFileAccessError);
    EXPECT_EQ(errorNumberOf([&] { openHostFileForBinaryRead(3, folder_.filePath("pipe.wav") + nul); }),
              kPathFileAccessError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(isOpen(3));
}

TEST_F(NumberedFiles, RepeatedSeparatorsCountAsOne) {
    writeFile("take.wav", "RIFF");
    QDir(folder_.path()).mkpath("Audio");
    writeFile("Audio/one.wav", "ID3");
    setDriveTableForTesting({Drive{QChar('Q'), folder_.path(), kDriveFixed}});
    OpenForBinaryRead(1, "Q:\\\\take.wav");
    EXPECT_EQ(GetByte(1, 1), 'R');
    OpenForBinaryRead(2, "Q:\\\\audio\\\\\\ONE.wav");
    EXPECT_EQ(GetByte(2, 1), 'I');
}
