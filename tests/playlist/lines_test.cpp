// The playlist's lines: their kinds, the reading rules and the window's counts.
#include "playlist/PlaylistLines.h"
#include "tests/playlist/ScannerFixture.h"

namespace playlist_test {
namespace {

using playlist::lines::Kind;
namespace lines = playlist::lines;

TEST(PlaylistLines, EveryKindReadsBackAsItself) {
    EXPECT_EQ(lines::longSeparator(), QString(64, u'-'));
    EXPECT_EQ(lines::shortSeparator(), QString(35, u'-'));
    EXPECT_EQ(lines::audiosExtraLine().size(), 79);
    EXPECT_EQ(lines::kindOf(lines::longSeparator()), Kind::Separator);
    EXPECT_EQ(lines::kindOf(lines::shortSeparator()), Kind::Separator);
    EXPECT_EQ(lines::kindOf(lines::audiosExtraLine()), Kind::Separator);
    EXPECT_EQ(lines::kindOf(lines::projectHeader(3, QStringLiteral("D:\\a.VIP"))), Kind::ProjectHeader);
    EXPECT_EQ(lines::kindOf(lines::indentLine()), Kind::Indent);
    EXPECT_EQ(lines::kindOf(QStringLiteral("D:\\x.ogg")), Kind::Audio);
    EXPECT_EQ(lines::kindOf(QStringLiteral("D:\\x.flac")), Kind::Audio);
}

TEST(PlaylistLines, CountsReadContentNotKinds) {
    EXPECT_TRUE(lines::countsAsAudio(QStringLiteral("1 --> D:\\wavs\\a.vip")));
    EXPECT_TRUE(lines::countsAsAudio(QStringLiteral("D:\\Take.MP3")));
    EXPECT_FALSE(lines::countsAsAudio(QStringLiteral("D:\\x.ogg")));
    EXPECT_FALSE(lines::countsAsAudio(QStringLiteral("D:\\x.flac")));
    EXPECT_TRUE(lines::countsAsProject(lines::projectHeader(1, QStringLiteral("D:\\a.vip"))));
    EXPECT_FALSE(lines::countsAsProject(lines::longSeparator()));
}

TEST(PlaylistLines, HeaderFormIsNumberArrowPath) {
    const QString header = lines::projectHeader(12, QStringLiteral("D:\\a b.vip"));
    EXPECT_EQ(header, "12 --> D:\\a b.vip");
    EXPECT_TRUE(lines::isProjectHeader(header));
    EXPECT_EQ(lines::pathOfProjectHeader(header), "D:\\a b.vip");
    EXPECT_FALSE(lines::isProjectHeader(QStringLiteral("D:\\a>b.vip")));
    EXPECT_FALSE(lines::isProjectHeader(QStringLiteral(" --> D:\\a.vip")));
    EXPECT_FALSE(lines::isProjectHeader(QStringLiteral("x1 --> D:\\a.vip")));
}

using ContarFilesTest = ScannerTest;

TEST_F(ContarFilesTest, FourLineExampleCountsOneOfEach) {
    for (const char* line : {"1 --> D:\\a.vip", " ", "D:\\x.wav", "D:\\y.ogg"})
        list().AddItem(QString::fromLatin1(line));
    window().ContarFiles();
    EXPECT_EQ(window().d().Files.Caption(), "1 archivos de audio");
    EXPECT_EQ(window().d().LabelNvip.Caption(), "1 Proyectos Vips");
    EXPECT_TRUE(window().d().Files.Visible());
    EXPECT_TRUE(window().d().LabelNvip.Visible());
    EXPECT_EQ(window().NumVips(), 1);

    list().Clear();
    for (const char* line : {"1 --> D:\\wavs\\a.vip", " ", "D:\\x.wav", "D:\\y.ogg"})
        list().AddItem(QString::fromLatin1(line));
    window().ContarFiles();
    EXPECT_EQ(window().d().Files.Caption(), "2 archivos de audio");
}

TEST_F(ContarFilesTest, EmptyListLeavesTheLabelsAndZeroesTheProjects) {
    window().setNumVips(4);
    window().ContarFiles();
    EXPECT_EQ(window().NumVips(), 0);
    EXPECT_FALSE(window().d().Files.Visible());
    EXPECT_EQ(window().d().Files.Caption(), "A");
    EXPECT_EQ(window().d().LabelNvip.Caption(), "V");
}

TEST_F(ContarFilesTest, CountsPastThe16BitRange) {
    for (int i = 0; i < 40000; ++i)
        list().AddItem(i % 2 ? QStringLiteral("D:\\t.wav")
                             : lines::projectHeader(i, QStringLiteral("D:\\a.vip")));
    window().ContarFiles();
    EXPECT_EQ(window().d().Files.Caption(), "20000 archivos de audio");
    EXPECT_EQ(window().NumVips(), 20000);
}

} // namespace
} // namespace playlist_test
