// Playing a clicked line of the playlist, and the search of the other drives for a file that has moved.
#include "platform/base/Text.h"
#include "platform/media/MediaPlayer.h"
#include "platform/win/Drives.h"
#include "platform/win/FileSystem.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"

namespace playlist {

namespace {

enum TransportIndex : std::int16_t { kPlay = 0, kStop = 2 };
enum InfoPicture : int { kFoundPicture = 0, kMissingPicture = 1 };

// The drives the search walks: C to V, the letters a project's paths were written with.
constexpr char16_t kFirstSearchedLetter = u'C';
constexpr char16_t kLastSearchedLetter = u'V';
// A drive root ("D:\") is this long: what a candidate replaces of the clicked path.
constexpr int kRootLength = 3;
constexpr int kTailLength = 3;

const rt::String kCrLf = QStringLiteral("\r\n");

rt::MediaPlayer& engine() {
    return player::sa().engine();
}

bool searchedDriveType(int type) {
    return type == rt::kDriveRemovable || type == rt::kDriveFixed || type == rt::kDriveRemote ||
           type == rt::kDriveRamDisk;
}

// Every root of a searched type, in letter order, added after those of earlier searches.
void appendDriveRoots(rt::ListBox& workList) {
    for (char16_t letter = kFirstSearchedLetter; letter <= kLastSearchedLetter; ++letter) {
        const rt::String root = QChar(letter) + QStringLiteral(":\\");
        if (searchedDriveType(rt::GetDriveTypeA(root)))
            workList.AddItem(root);
    }
}

void showFoundPicture(player::InfoFile& info) {
    info.d().ImageInfo(kFoundPicture).setVisible(true);
}

void resetInformation(player::InfoFile& info) {
    info.d().TextInfo.setBackColor(player::kInfoNormalBack);
    showFoundPicture(info);
    info.d().ImageInfo(kMissingPicture).setVisible(false);
}

// The clicked path itself is reported, not the candidate that was tried.
void reportMiss(player::InfoFile& info, const rt::String& path) {
    player::InfoFileDesign& c = info.d();
    c.TextInfo.setText(QStringLiteral("El archivo: ") + kCrLf + path + kCrLf + QStringLiteral("No existe"));
    c.TextInfo.setBackColor(player::kInfoMissingBack);
    c.ImageInfo(kFoundPicture).setVisible(false);
    c.ImageInfo(kMissingPicture).setVisible(true);
    player::Player& main = player::player();
    if (!main.Visible())
        return;
    info.setLeft(main.Left() + player::kDockInfoFile.left);
    info.setTop(main.Top() + player::kDockInfoFile.top);
    info.setVisible(true);
}

rt::String tailOf(const rt::String& path) {
    return rt::LCase(rt::Right(path, kTailLength));
}

// The reader the file's ending calls for; other endings have none.
void describeByTail(const rt::String& path) {
    const rt::String tail = tailOf(path);
    if (tail == QStringLiteral("wav"))
        player::player().InfoWav(path);
    else if (tail == QStringLiteral("mp3"))
        player::player().InfoMp3(path);
}

// A found copy is always described: an MP3 by its tag, anything else by the WAV reader.
void describeFoundCopy(const rt::String& path) {
    if (tailOf(path) == QStringLiteral("mp3"))
        player::player().InfoMp3(path);
    else
        player::player().InfoWav(path);
}

void showTitle() {
    const rt::MediaPlayer::Media& media = engine().currentMedia();
    player::player().d().LabelDisplay.setCaption(QStringLiteral("  >>>> ") + media.name +
                                                 QStringLiteral(" -- ") + media.durationString +
                                                 QStringLiteral(" <<<< "));
}

} // namespace

void PlayList::ListFiles_Click() {
    PlayListDesign& c = d();
    player::Player& main = player::player();
    player::InfoFile& info = player::infoFile();
    c.TextInfo.setVisible(false);
    resetInformation(info);
    main.d().TimerDisplay.setEnabled(false);
    info.setVisible(false);
    main.Control_Click(kStop);
    const int index = c.ListFiles.ListIndex();
    const rt::String line = c.ListFiles.List(index);
    if (lines::kindOf(line) != lines::Kind::Audio)
        return;
    if (rt::existsAsOrdinaryFile(line)) {
        describeByTail(line);
        engine().setURL(line);
    } else {
        // The search does not read the position; a list longer than 32767 lines must still play.
        const rt::String found = BuscarUnidad(line, c.ListFiles, static_cast<std::int16_t>(index));
        if (found.isEmpty()) {
            c.ListFiles.SetFocus();
            return;
        }
    }
    showTitle();
    main.Control_Click(kPlay);
    c.ListFiles.SetFocus();
}

rt::String PlayList::BuscarUnidad(const rt::String& path, rt::ListBox& list, std::int16_t) {
    // A remote drive that missed its deadline is not asked again while this search lasts.
    rt::DriveSearchScope scope;
    rt::ListBox& workList = d().List1;
    appendDriveRoots(workList);
    const rt::String rest = rt::Mid(path, kRootLength + 1);
    player::InfoFile& info = player::infoFile();
    rt::String found;
    for (int i = 0; i < workList.ListCount() && found.isEmpty(); ++i) {
        const rt::String candidate = workList.List(i) + rest;
        if (!rt::existsAsOrdinaryFile(candidate)) {
            reportMiss(info, path);
            continue;
        }
        // The missing picture stays as the last miss left it.
        info.setVisible(false);
        showFoundPicture(info);
        info.d().TextInfo.setBackColor(player::kInfoNormalBack);
        found = candidate;
    }
    if (found.isEmpty())
        return {};
    engine().setURL(found);
    describeFoundCopy(found);
    info.Show();
    list.SetFocus();
    return found;
}

} // namespace playlist
