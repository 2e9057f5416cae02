#pragma once
// The playlist and the main window on the fake engine, over a drive table of several temporary roots whose
// types are set only at the table: C:, D: and E: fixed, F: a CD-ROM, W: fixed (beyond the searched letters).
// Records every text the information window is given, so each miss of a search can be counted.
#include "platform/shell/MessageBox.h"
#include "platform/win/Drives.h"
#include "player/InfoFile.h"
#include "playlist/PlayList.h"
#include "tests/player/PlayerFixture.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace play_test {

inline const QString kCrLf = QStringLiteral("\r\n");

inline QString missText(const QString& path) {
    return "El archivo: " + kCrLf + path + kCrLf + "No existe";
}

// A canonical 16-bit stereo WAV header with a little silence.
inline QByteArray wavBytes(std::int16_t channels = 2, std::int32_t rate = 44100) {
    const auto le = [](std::int64_t value, int size) {
        QByteArray bytes;
        for (int k = 0; k < size; ++k)
            bytes += char((value >> (8 * k)) & 0xFF);
        return bytes;
    };
    const int dataBytes = 64;
    return "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) +
           le(rate, 4) + le(rate * channels * 2, 4) + le(channels * 2, 2) + le(16, 2) + "data" +
           le(dataBytes, 4) + QByteArray(dataBytes, '\0');
}

// Some frames of noise that never spell "tag", then an ID3v1 tag with this title.
inline QByteArray mp3Bytes(const QByteArray& title) {
    QByteArray bytes(600, '\x55');
    const auto field = [](QByteArray text, int width) { return text.leftJustified(width, '\0', true); };
    bytes += "TAG" + field(title, 30) + field("Artista", 30) + field("Disco", 30) + field("2024", 4) +
             field("", 30) + char(17);
    return bytes;
}

class PlayTest : public player_test::PlayerTest {
  protected:
    void SetUp() override {
        for (const auto& [letter, type] : {std::pair{u'C', rt::kDriveFixed},
                                           {u'D', rt::kDriveFixed},
                                           {u'E', rt::kDriveFixed},
                                           {u'F', rt::kDriveCdRom},
                                           {u'W', rt::kDriveFixed}})
            roots_[letter] = {std::make_unique<QTemporaryDir>(), type};
        installTable();
        rt::shell::setMessageBoxResponderForTesting([](const rt::shell::MessageBoxRequest&) { return 1; });
        PlayerTest::SetUp();
        fake().setDuration(3);
        main().PL_Click(); // the playlist on screen, docked, as a user clicks it
        recordInformationTexts();
    }
    void TearDown() override {
        PlayerTest::TearDown();
        rt::shell::setMessageBoxResponderForTesting({});
        rt::resetDriveTable();
    }

    void installTable() {
        std::vector<rt::Drive> table;
        for (const auto& [letter, root] : roots_)
            table.push_back({QChar(letter), root.folder->path(), root.type});
        rt::setDriveTableForTesting(table);
    }
    void setDriveType(char16_t letter, int type) {
        roots_.at(letter).type = type;
        installTable();
    }
    // "Audio/take1.wav" on drive D: -> the host file, written; returns its Windows path.
    QString makeFile(char16_t letter, const QString& relative, const QByteArray& bytes = wavBytes()) {
        const QString host = roots_.at(letter).folder->filePath(relative);
        QDir().mkpath(QFileInfo(host).absolutePath());
        QFile file(host);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return windows(letter, relative);
    }
    static QString windows(char16_t letter, const QString& relative) {
        return QChar(letter) + QStringLiteral(":\\") + QString(relative).replace(u'/', u'\\');
    }
    QString hostRoot(char16_t letter) const { return roots_.at(letter).folder->path(); }

    static playlist::PlayListDesign& list() { return playlist::playList().d(); }
    static player::InfoFileDesign& info() { return player::infoFile().d(); }
    static void addLines(const QStringList& lines) {
        for (const QString& line : lines)
            list().ListFiles.AddItem(line);
    }
    // A click on the line, as the list box raises it (again when it is already the chosen one).
    static void click(int row) {
        list().ListFiles.setListIndex(-1);
        list().ListFiles.setListIndex(row);
    }
    static QStringList workList() {
        QStringList roots;
        for (int i = 0; i < list().List1.ListCount(); ++i)
            roots << list().List1.List(i);
        return roots;
    }
    int missesOf(const QString& path) const { return int(texts_.count(missText(path))); }
    const QStringList& informationTexts() const { return texts_; }
    void forgetInformationTexts() { texts_.clear(); }

  private:
    struct Root {
        std::unique_ptr<QTemporaryDir> folder;
        int type = rt::kDriveFixed;
    };
    void recordInformationTexts() {
        auto* edit = qobject_cast<QPlainTextEdit*>(info().TextInfo.widget());
        ASSERT_NE(edit, nullptr);
        QObject::connect(edit, &QPlainTextEdit::textChanged, [this] { texts_ << info().TextInfo.Text(); });
    }

    std::map<char16_t, Root> roots_;
    QStringList texts_;
};

} // namespace play_test
