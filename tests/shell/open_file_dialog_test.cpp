// The open-file dialog control answered by a stand-in person: its settings in Qt's terms and FileName in
// the result format the main window splits.
#include "platform/base/Errors.h"
#include "platform/shell/OpenFileDialog.h"
#include "platform/win/Drives.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace rt::shell {
namespace {

const QString kAudioFilter =
    QStringLiteral("Archivos (*.wav, *.aif, *.mp3, *.wma, *.m4a)|*.wav;*.aif;*.mp3;*.wma;*.m4a");
constexpr std::int32_t kPlayerFlags = 0x80204;
constexpr QChar kNul = QChar(0);
const QString kAudioQtFilter = QStringLiteral("Archivos (*.wav, *.aif, *.mp3, *.wma, *.m4a) "
                                              "(*.[wW][aA][vV] *.[aA][iI][fF] *.[mM][pP]3 *.[wW][mM][aA] "
                                              "*.[mM]4[aA])");

// A drive D: on a temporary folder holding the files a test picks, and a stand-in person who picks them.
class OpenFileDialogTest : public ::testing::Test {
  protected:
    OpenFileDialogTest() {
        setDriveTableForTesting({Drive{QChar('D'), root.path(), kDriveFixed}});
        QDir(root.path()).mkpath("Audio");
        dialog.Filter = kAudioFilter;
        dialog.Flags = kPlayerFlags;
        dialog.MaxFileSize = 32000;
    }
    ~OpenFileDialogTest() override {
        setOpenFileResponderForTesting({});
        resetDriveTable();
    }

    QString file(const QString& relative) {
        const QString path = root.filePath(relative);
        QFile created(path);
        created.open(QIODevice::WriteOnly);
        return path;
    }
    void personPicks(QStringList picks) {
        setOpenFileResponderForTesting([this, picks](const OpenFileRequest& request) -> OpenFileAnswer {
            seen = request;
            return picks;
        });
    }
    void personCancels() {
        setOpenFileResponderForTesting([](const OpenFileRequest&) -> OpenFileAnswer { return std::nullopt; });
    }

    QTemporaryDir root;
    CommonDialog dialog;
    OpenFileRequest seen;
};

TEST_F(OpenFileDialogTest, AsksForSeveralAudioFilesInQtsFilterForm) {
    personPicks({file("Audio/one.wav")});
    dialog.ShowOpen();

    EXPECT_EQ(seen.nameFilters, QStringList{kAudioQtFilter});
    EXPECT_TRUE(seen.multiSelect);

    dialog.Flags = 0x80004;
    dialog.ShowOpen();
    EXPECT_FALSE(seen.multiSelect);
}

TEST_F(OpenFileDialogTest, OneFileIsItsFullWindowsPath) {
    personPicks({file("Audio/take 1.wav")});
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "D:\\Audio\\take 1.wav");
}

TEST_F(OpenFileDialogTest, SeveralFilesAreTheFolderThenEachNameSeparatedByNul) {
    personPicks({file("Audio/b.mp3"), file("Audio/a.wav"), file("Audio/c.wma")});
    dialog.ShowOpen();

    EXPECT_EQ(dialog.FileName, QString("D:\\Audio") + kNul + "b.mp3" + kNul + "a.wav" + kNul + "c.wma");
    EXPECT_EQ(dialog.FileName.split(kNul).size(), 4);
}

TEST_F(OpenFileDialogTest, FilesAtADriveRootGiveAFolderEndingInABackslash) {
    personPicks({file("x.wav"), file("y.wav")});
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, QString("D:\\") + kNul + "x.wav" + kNul + "y.wav");
}

TEST_F(OpenFileDialogTest, CancelLeavesFileNameEmptyAndRaisesOnlyWhenAsked) {
    dialog.FileName = "left over";
    personCancels();
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, "");

    dialog.CancelError = true;
    try {
        dialog.ShowOpen();
        FAIL() << "cancelling with CancelError set must raise";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), cdlCancel);
    }
}

TEST_F(OpenFileDialogTest, AResultLongerThanItsRoomIsAnError) {
    personPicks({file("Audio/one.wav")});
    dialog.MaxFileSize = 10;
    try {
        dialog.ShowOpen();
        FAIL() << "a result of 16 characters does not fit in 10";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), cdlBufferTooSmall);
    }
    EXPECT_EQ(dialog.FileName, "");
}

// Without a responder the person meets a real modal file dialog; here a timer plays the person.
TEST_F(OpenFileDialogTest, TheRealDialogIsModalAndHonoursTheSettings) {
    const QString picked = file("Audio/real.wav");
    QStringList filtersShown;
    bool multiple = false;
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        filtersShown = shown->nameFilters();
        multiple = shown->fileMode() == QFileDialog::ExistingFiles;
        shown->setDirectory(QFileInfo(picked).absolutePath());
        shown->selectFile(picked);
        static_cast<QDialog*>(shown)->accept(); // the dialog's own accept, as its Open button calls it
    });

    dialog.ShowOpen();

    EXPECT_EQ(filtersShown, QStringList{kAudioQtFilter});
    EXPECT_TRUE(multiple);
    EXPECT_EQ(dialog.FileName, "D:\\Audio\\real.wav");
}

// The person sees the description as written; the patterns match either case, letter by letter.
TEST(QtNameFilters, KeepEveryEntryAndMatchLettersOfEitherCase) {
    EXPECT_EQ(qtNameFilters("Audio|*.wav|Todo (*.*)|*.*"),
              (QStringList{"Audio (*.[wW][aA][vV])", "Todo (*.*) (*.*)"}));
    EXPECT_EQ(qtNameFilters("Sonido (WAV)|*.Wav; take?.[ab]iff"),
              QStringList{"Sonido (WAV) (*.[wW][aA][vV] [tT][aA][kK][eE]?.[ab][iI][fF][fF])"});
    EXPECT_EQ(qtNameFilters(""), QStringList{});
}

// The real dialog lists audio files whatever the case of their endings, and nothing else.
TEST_F(OpenFileDialogTest, TheRealDialogListsEndingsOfAnyCase) {
    const QString folder = root.filePath("Mixed");
    QDir(root.path()).mkpath("Mixed");
    for (const char* name : {"LOUD.WAV", "quiet.wav", "Song.Mp3", "clip.M4A", "notes.txt", "wave"})
        QFile(QDir(folder).filePath(name)).open(QIODevice::WriteOnly);
    QStringList listed;
    QString filterShown;
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        auto* combo = shown->findChild<QComboBox*>("fileTypeCombo");
        filterShown = combo ? combo->currentText() : QString();
        auto* model = shown->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        shown->setDirectory(folder);
        const QModelIndex parent = model->index(folder);
        QDeadlineTimer deadline(10000);
        while (model->rowCount(parent) < 4 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            if (model->flags(index).testFlag(Qt::ItemIsEnabled))
                listed << model->fileName(index);
        }
        shown->reject();
    });

    dialog.ShowOpen();

    listed.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, (QStringList{"clip.M4A", "LOUD.WAV", "quiet.wav", "Song.Mp3"}));
    EXPECT_EQ(filterShown, "Archivos (*.wav, *.aif, *.mp3, *.wma, *.m4a)");
    EXPECT_EQ(dialog.FileName, "");
}

} // namespace
} // namespace rt::shell
