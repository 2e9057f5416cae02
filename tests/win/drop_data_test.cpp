// The data of a drop from the file manager: its file list as Windows-style paths.
#include "platform/base/Errors.h"
#include "platform/win/Drives.h"
#include "platform/win/DropData.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace rt::shell {
namespace {

class DropDataTest : public ::testing::Test {
  protected:
    DropDataTest() {
        setDriveTableForTesting({Drive{QChar('E'), root.path(), kDriveRemovable}});
        QDir(root.path()).mkpath("Proyectos/Uno");
    }
    ~DropDataTest() override { resetDriveTable(); }

    QTemporaryDir root;
};

TEST_F(DropDataTest, LocalFilesAndFoldersFromUrlsBecomeTheFileList) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(root.filePath("Proyectos/Uno/mezcla.vip")),
                  QUrl("https://example.org/remote.wav"),
                  QUrl::fromLocalFile(root.filePath("Proyectos/Uno") + "/")});

    const DropData data = DropData::fromMimeData(mime);

    EXPECT_TRUE(data.GetFormat(vbCFFiles));
    EXPECT_FALSE(data.GetFormat(1)) << "only the file list is offered";
    ASSERT_EQ(data.Files.Count(), 2);
    EXPECT_EQ(data.Files(1), "E:\\Proyectos\\Uno\\mezcla.vip");
    EXPECT_EQ(data.Files.Item(2), "E:\\Proyectos\\Uno") << "a folder comes without a separator at its end";
}

TEST_F(DropDataTest, NoLocalFileMeansNoFileList) {
    QMimeData text;
    text.setText("E:\\Proyectos\\Uno");
    EXPECT_FALSE(DropData::fromMimeData(text).GetFormat(vbCFFiles));

    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.wav")});
    EXPECT_FALSE(DropData::fromMimeData(remote).GetFormat(vbCFFiles));
    EXPECT_EQ(DropData::fromMimeData(remote).Files.Count(), 0);

    // A host path outside every drive cannot be named, so it is left out.
    EXPECT_EQ(DropData::fromHostPaths({"/nowhere/at/all.wav"}).Files.Count(), 0);
}

TEST_F(DropDataTest, ItemsAreOneBased) {
    const DropData data = DropData::fromHostPaths({root.filePath("a.wav"), root.filePath("b.wav")});
    EXPECT_EQ(data.Files(1), "E:\\a.wav");
    EXPECT_EQ(data.Files(2), "E:\\b.wav");
    for (const int outside : {0, 3}) {
        try {
            data.Files(outside);
            ADD_FAILURE() << "item " << outside << " does not exist";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), kSubscriptOutOfRange);
        }
    }
}

// The file manager writes a name's bytes percent-escaped; a byte that is not UTF-8 (%E9 of a Latin-1 name)
// names the same file on the way back, as UTF-8 escapes name theirs.
TEST_F(DropDataTest, EscapedBytesOfANameReachTheSameFile) {
    const QByteArray folder = hostBytes(root.path()) + "/Proyectos/";
    for (const QByteArray& name : {QByteArray("caf\xE9.wav"), QByteArray("caf\xC3\xA9.wav")}) {
        SCOPED_TRACE(name.toHex().toStdString());
        const QByteArray hostFile = folder + name;
        FILE* made = std::fopen(hostFile.constData(), "w");
        ASSERT_NE(made, nullptr);
        std::fclose(made);
        QMimeData mime;
        mime.setData("text/uri-list", "file://" + hostFile.toPercentEncoding("/") + "\r\n");

        const DropData data = DropData::fromMimeData(mime);

        ASSERT_EQ(data.Files.Count(), 1);
        EXPECT_FALSE(data.Files(1).contains(QChar::ReplacementCharacter));
        EXPECT_EQ(hostBytes(hostPathOf(data.Files(1))), hostFile);
        struct stat info {};
        EXPECT_EQ(::stat(hostBytes(hostPathOf(data.Files(1))).constData(), &info), 0);
    }
    EXPECT_EQ(DropData::fromUrls({QUrl::fromLocalFile(root.path() + "/Proyectos/caf\u00E9.wav")}).Files(1),
              "E:\\Proyectos\\caf\u00E9.wav");
}

TEST(DropData, BuiltFromWindowsPathsForTests) {
    const DropData data(QStringList{"C:\\a.vip"});
    EXPECT_TRUE(data.GetFormat(vbCFFiles));
    EXPECT_EQ(data.Files(1), "C:\\a.vip");
    EXPECT_FALSE(DropData().GetFormat(vbCFFiles));
}

} // namespace
} // namespace rt::shell
