// The main window's open button: the audio files picked in the open dialog replace the playlist.
#include "platform/base/Errors.h"
#include "platform/base/Text.h"
#include "platform/media/MediaPlayer.h"
#include "platform/runtime/Numbers.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/ListWidth.h"
#include "playlist/PlayList.h"

#include <QStringList>

namespace player {

namespace {

enum TransportIndex : std::int16_t { kPlay = 0, kPause = 1 };

constexpr int kResultRoomChars = 32000;
const rt::String kAudioFilter =
    QStringLiteral("Archivos (*.wav, *.aif, *.mp3, *.wma, *.m4a)|*.wav;*.aif;*.mp3;*.wma;*.m4a");
// Explorer style (0x80000), several files (0x200), no read-only box (0x4).
constexpr std::int32_t kOpenFlags = 0x80204;
constexpr std::int32_t kStartVolumeLevel = 40;
constexpr std::int32_t kVolumeZeroDbLevel = 90;

rt::MediaPlayer& engine() {
    return sa().engine();
}

// Split at every NUL; an empty text gives no piece at all, as the runtime's Split does.
QStringList piecesOf(const rt::String& fileName) {
    if (fileName.isEmpty())
        return {};
    return fileName.split(QChar(0));
}

// One piece: the picked file's full path. Several: the folder first, then each name in the dialog's order.
void writePicks(rt::ListBox& list, const rt::String& fileName, const QStringList& pieces) {
    list.Clear();
    if (pieces.size() == 1) {
        list.AddItem(fileName);
        return;
    }
    const rt::String folder = pieces.first() + u'\\';
    for (qsizetype i = 1; i < pieces.size(); ++i)
        list.AddItem(folder + pieces[i]);
}

} // namespace

void Player::Open_Click() {
    engine().close();
    Hide();
    const bool completed = rt::endSilentlyOnError([this] {
        const bool listWasShown = playlist::playList().Visible();
        playlist::playList().Hide();
        infoFile().Hide();
        sa().Hide();
        rt::shell::CommonDialog& dialog = d().FileList;
        dialog.FileName = rt::String();
        dialog.MaxFileSize = kResultRoomChars;
        dialog.Filter = kAudioFilter;
        dialog.Flags = kOpenFlags;
        dialog.CancelError = false;
        dialog.ShowOpen();
        const QStringList pieces = piecesOf(dialog.FileName);
        // A cancel keeps the playlist the user had, and shows that the media the open closed is gone.
        if (pieces.isEmpty()) {
            showStopped();
            Show();
            if (listWasShown)
                PL_Click();
            return;
        }
        rt::ListBox& list = playlist::playList().d().ListFiles;
        writePicks(list, dialog.FileName, pieces);
        playlist::SetListHScroll(list);
        PlayerDesign& c = d();
        c.mp3Baud.setVisible(false);
        Show();
        c.LabelDisplay.setCaption(rt::String());
        engine().setURL(rt::String());
        // Only Play shows, as after a stop.
        c.Control(kPlay).setVisible(true);
        c.Control(kPause).setVisible(false);
        c.SliderVol.setValue(kStartVolumeLevel);
        c.LabelVol.setCaption(rt::CStr(rt::sub32(c.SliderVol.Value(), kVolumeZeroDbLevel)) + " dB");
        engine().controls.stop();
        c.TimerDisplay.setEnabled(true);
        PL_Click();
    });
    if (!completed)
        rt::skipOnError([this] { Show(); });
}

} // namespace player
