// The ID3v1 reader and the MP3 description in the information window.
#include "player/MMP3Info.h"
#include "tests/info/InfoFixtures.h"

#include <QFile>
#include <unistd.h>

namespace info_test {
namespace {

using player::GetMP3Tag;
using player::MP3Tag;

const QChar kNul(0);

QString blanks(int count) {
    return QString(count, QChar(' '));
}

QString nuls(int count) {
    return QString(count, kNul);
}

class Mp3TagTest : public InfoTest {
  protected:
    // The message box the tag reader shows on a failed read, exactly.
    void expectOneReadFailureBox() {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].prompt, "Error! en fichero");
        EXPECT_EQ(messages[0].title, "MP3");
        EXPECT_EQ(messages[0].buttons, 16);
    }
};

TEST_F(Mp3TagTest, TagAtTheEndGivesWholeFieldsAndAComment29CharactersLong) {
    Id3v1 id3{.title = "Take five",
              .artist = "Dave Brubeck Quartet",
              .album = "Time Out",
              .year = "1959",
              .comment = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"};
    const QString path = file("song.mp3", audioBytes(4000) + id3v1Block(id3));

    const MP3Tag tag = GetMP3Tag(path);

    EXPECT_EQ(tag.Title, "Take five" + nuls(21));
    EXPECT_EQ(tag.Artist, "Dave Brubeck Quartet" + nuls(10));
    EXPECT_EQ(tag.Album, "Time Out" + nuls(22));
    EXPECT_EQ(tag.Year, "1959");
    // The comment's last byte is one of the two the window never reads.
    EXPECT_EQ(tag.Comment, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012 ");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(openFileCount(), 0);
}

TEST_F(Mp3TagTest, FullWidthFieldsStayWholeAndTheYearKeepsFourCharacters) {
    Id3v1 id3{.title = "123456789012345678901234567890",
              .artist = "abcdefghijklmnopqrstuvwxyzABCD",
              .album = "Album with exactly thirty char",
              .year = "2024",
              .comment = "x"};
    const MP3Tag tag = GetMP3Tag(file("full.mp3", audioBytes(300) + id3v1Block(id3)));

    EXPECT_EQ(tag.Title, "123456789012345678901234567890");
    EXPECT_EQ(tag.Artist, "abcdefghijklmnopqrstuvwxyzABCD");
    EXPECT_EQ(tag.Album, "Album with exactly thirty char");
    EXPECT_EQ(tag.Year, "2024");
    EXPECT_EQ(tag.Comment, "x" + nuls(28) + " ");
}

TEST_F(Mp3TagTest, A257ByteFileIsReadFromItsFirstByte) {
    // The marker at offset 0 is only seen when the window starts at the first byte.
    QByteArray bytes = "tAg" + QByteArray("First title") + audioBytes(257 - 14);
    ASSERT_EQ(bytes.size(), 257);

    const MP3Tag tag = GetMP3Tag(file("short.mp3", bytes));

    EXPECT_TRUE(tag.Title.startsWith("First title"));
    EXPECT_EQ(tag.Title.size(), 30);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Mp3TagTest, TheLastTwoBytesAreNeverRead) {
    // A marker in the last two bytes plus one before them cannot be found.
    const MP3Tag tag = GetMP3Tag(file("end.mp3", audioBytes(600) + "TAG"));
    EXPECT_EQ(tag, MP3Tag{});
    // One byte earlier it lies inside the window, at its very end: every field is given an empty text.
    const MP3Tag late = GetMP3Tag(file("late.mp3", audioBytes(600) + "TAG" + audioBytes(2)));
    EXPECT_EQ(late.Title, blanks(30));
    EXPECT_EQ(late.Artist, blanks(30));
    EXPECT_EQ(late.Year, blanks(4));
    EXPECT_EQ(late.Comment, blanks(30));
}

TEST_F(Mp3TagTest, FilesOf256BytesOrFewerShowTheMessageAndGiveTheAllNulRecord) {
    for (int size : {0, 1, 255, 256}) {
        SCOPED_TRACE(size);
        messages.clear();
        const MP3Tag tag = GetMP3Tag(file(QString("small%1.mp3").arg(size), QByteArray(size, 't')));
        EXPECT_EQ(tag, MP3Tag{});
        expectOneReadFailureBox();
        EXPECT_EQ(openFileCount(), 0);
    }
}

TEST_F(Mp3TagTest, AMissingFileGivesTheAllNulRecordWithoutAMessage) {
    EXPECT_EQ(GetMP3Tag(drive.windows("nothing here.mp3")), MP3Tag{});
    EXPECT_EQ(GetMP3Tag("Q:\\no drive\\song.mp3"), MP3Tag{});
    drive.makeFolder("folder.mp3");
    EXPECT_EQ(GetMP3Tag(drive.windows("folder.mp3")), MP3Tag{});
    EXPECT_TRUE(messages.empty());
}

TEST_F(Mp3TagTest, ALinkWhoseTargetHasGoneIsAMissingFile) {
    drive.makeLink("gone.mp3", drive.host("never written.mp3"));
    EXPECT_EQ(GetMP3Tag(drive.windows("gone.mp3")), MP3Tag{});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(openFileCount(), 0);
}

TEST_F(Mp3TagTest, AnUnreadableFileTakesTheFailurePath) {
    const QString path = file("locked.mp3", audioBytes(500) + id3v1Block({.title = "Secret"}));
    ASSERT_EQ(::chmod(drive.host("locked.mp3").toLocal8Bit().constData(), 0), 0);
    // Bit by bit what went wrong, so a failure in the child process still says it.
    const int wrong = asOrdinaryUser([&] {
        const bool empty = GetMP3Tag(path) == MP3Tag{};
        const bool oneBox = messages.size() == 1 && messages[0].prompt == "Error! en fichero" &&
                            messages[0].title == "MP3" && messages[0].buttons == 16;
        return (empty ? 0 : 1) | (oneBox ? 0 : 2) | (openFileCount() == 0 ? 0 : 4);
    });
    EXPECT_EQ(wrong, 0);
}

TEST_F(Mp3TagTest, TheMarkerIsFoundInAnyCaseAndFirstHitCountsEvenInTheAudioData) {
    // "TaG" in the audio, 50 bytes into the window, comes before the real tag.
    QByteArray audio = audioBytes(1000);
    const int windowStart = int(audio.size() + 128) - 257;
    audio.replace(windowStart + 50, 13, "TaGfrom audio");
    const QByteArray bytes = audio + id3v1Block({.title = "Real title"});

    const MP3Tag tag = GetMP3Tag(file("early.mp3", bytes));

    EXPECT_EQ(tag.Title, rt::fromWindows1252(bytes.mid(windowStart + 53, 30)));
    EXPECT_TRUE(tag.Title.startsWith("from audio"));
}

TEST_F(Mp3TagTest, BytesAbove127BecomeWindows1252Characters) {
    const QByteArray title = "Caf\xE9 \x80 \x81 \x9F";
    const MP3Tag tag = GetMP3Tag(file("accents.mp3", audioBytes(400) + id3v1Block({.title = title})));
    EXPECT_EQ(tag.Title, QString::fromUtf16(u"Café € \u0081 Ÿ") + nuls(30 - 10));
}

TEST_F(Mp3TagTest, AnotherRoutinesOpenFileSurvivesTheTagReader) {
    const QString wav = file("scan.wav", wavBytes({}));
    const int held = rt::FreeFile();
    rt::OpenForBinaryRead(held, wav);

    GetMP3Tag(file("song.mp3", audioBytes(400) + id3v1Block({.title = "T"})));
    GetMP3Tag(file("tiny.mp3", "x")); // the failure path too

    EXPECT_TRUE(rt::isOpen(held));
    EXPECT_EQ(rt::GetByte(held, 1), 'R');
    rt::Close(held);
}

// ---- UnSpace ----

TEST_F(Mp3TagTest, UnSpaceRemovesTrailingBlanksAndNulsInAnyMixOnly) {
    player::Player& p = player::player();
    EXPECT_EQ(p.UnSpace("Title" + QString::fromLatin1(" \0 \0\0 ", 6)), "Title");
    EXPECT_EQ(p.UnSpace(QString::fromLatin1("a\0b  c", 6) + nuls(3)), QString::fromLatin1("a\0b  c", 6));
    EXPECT_EQ(p.UnSpace("  lead"), "  lead");
    EXPECT_EQ(p.UnSpace("tab\t"), "tab\t");
    EXPECT_EQ(p.UnSpace(blanks(3) + nuls(2) + blanks(1)), "");
    EXPECT_EQ(p.UnSpace(""), "");
}

// ---- InfoMp3 ----

TEST_F(Mp3TagTest, InfoMp3WritesTheFiveLabelledLinesAndDocksTheWindow) {
    player::Player& p = player::player();
    p.setLeft(1500);
    p.setTop(2400);
    Id3v1 id3{.title = "Take five",
              .artist = "Dave Brubeck",
              .album = "Time Out",
              .year = "1959",
              .comment = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"};
    const QString path = file("song.mp3", audioBytes(4000) + id3v1Block(id3));

    p.InfoMp3(path);

    EXPECT_EQ(infoText(), QStringLiteral("Album: Time Out   \r\n"
                                         "Artista: Dave Brubeck   \r\n"
                                         "Comentarios: ABCDEFGHIJKLMNOPQRSTUVWXYZ012   \r\n"
                                         "Título: Take five   \r\n"
                                         "Año: 1959   \r\n"));
    player::InfoFile& info = player::infoFile();
    EXPECT_TRUE(info.Visible());
    EXPECT_EQ(info.Left(), 1500 + 3280);
    EXPECT_EQ(info.Top(), 2400 + 2100);
}

TEST_F(Mp3TagTest, InfoMp3AfterAFailedReadShowsFiveEmptyValuesOnceTheMessageIsDismissed) {
    const QString path = file("small.mp3", QByteArray(256, 'T'));
    bool shownDuringMessage = true;
    rt::shell::setMessageBoxResponderForTesting([&](const rt::shell::MessageBoxRequest& request) {
        messages.push_back(request);
        shownDuringMessage = player::infoFile().Visible();
        return rt::shell::vbOK;
    });

    player::player().InfoMp3(path);

    expectOneReadFailureBox();
    EXPECT_FALSE(shownDuringMessage);
    EXPECT_EQ(
        infoText(),
        QStringLiteral("Album:    \r\nArtista:    \r\nComentarios:    \r\nTítulo:    \r\nAño:    \r\n"));
    EXPECT_TRUE(player::infoFile().Visible());
}

TEST_F(Mp3TagTest, InfoMp3WithoutATagShowsFiveEmptyValuesWithoutAMessage) {
    player::player().InfoMp3(file("plain.mp3", audioBytes(2000)));
    EXPECT_EQ(
        infoText(),
        QStringLiteral("Album:    \r\nArtista:    \r\nComentarios:    \r\nTítulo:    \r\nAño:    \r\n"));
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace info_test
