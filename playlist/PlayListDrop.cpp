// Loading a drop of project files, folders and audio files into the playlist, and the load time.
#include "platform/base/Errors.h"
#include "platform/base/Text.h"
#include "platform/runtime/Numbers.h"
#include "platform/win/FileSystem.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/Buscar.h"
#include "playlist/ListWidth.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"

#include <cmath>

namespace playlist {

namespace {

constexpr double kLapStepSeconds = 0.1;
// Up to this many seconds the load time shows in seconds with two decimals; above it in minutes.
constexpr double kLapSecondsShownAsSeconds = 59;
constexpr int kSecondsPerMinute = 60;
// The load timer's running figure: 15 significant digits, "." as the point, no exponent for what a load
// reaches.
constexpr int kLapFigureDigits = 15;
enum TransportIndex : std::int16_t { kStop = 2 };

bool endsInProject(const rt::String& name) {
    return rt::LCase(rt::Right(name, 4)) == QStringLiteral(".vip");
}

bool endsInLooseAudio(const rt::String& name) {
    const rt::String tail = rt::LCase(rt::Right(name, 4));
    for (const char* extension : {".wav", ".mp3", ".aif", ".m4a", ".wma"})
        if (tail == QLatin1String(extension))
            return true;
    return false;
}

rt::Label& titleDisplay() {
    return player::player().d().LabelDisplay;
}

} // namespace

rt::String nextLapFigure(const rt::String& title) {
    return rt::String::number(rt::Val(title) + kLapStepSeconds, 'g', kLapFigureDigits);
}

rt::String loadTimeText(double seconds) {
    if (seconds <= kLapSecondsShownAsSeconds)
        return rt::formatFixed2Locale(seconds) + QStringLiteral(" seg");
    const std::int32_t whole = rt::CLng(seconds);
    return rt::String::number(whole / kSecondsPerMinute) + QStringLiteral(" min ") +
           rt::String::number(whole % kSecondsPerMinute) + QStringLiteral(" seg");
}

// A drop that arrives while a load runs waits for it; only the newest waits, since a drop replaces the list.
void PlayList::ListFiles_OLEDragDrop(rt::shell::DropData& Data, std::int32_t&, std::int16_t&, std::int16_t&,
                                     float&, float&) {
    if (loadRunning_) {
        pendingDrop_ = PendingDrop{Data, loadGeneration_};
        return;
    }
    loadRunning_ = true;
    loadDrop(Data);
    while (pendingDrop_ && pendingDrop_->generation == loadGeneration_ && isLoaded()) {
        rt::shell::DropData next = std::move(pendingDrop_->data);
        pendingDrop_.reset();
        loadDrop(next);
    }
    pendingDrop_.reset();
    loadRunning_ = false;
}

// The ten steps of a load. Every failing statement is skipped; a window unloaded during a pump ends the load.
void PlayList::loadDrop(rt::shell::DropData& Data) {
    load();
    const std::uint64_t generation = loadGeneration_;
    const auto stillHere = [&] { return isLoaded() && loadGeneration_ == generation; };
    const auto add = [&](const rt::String& line) { rt::skipOnError([&] { d().ListFiles.AddItem(line); }); };

    rt::skipOnError([&] { player::player().Control_Click(kStop); });
    // The stop leaves the title alone when nothing is loaded: the load time must show inside the strip.
    rt::skipOnError([&] { titleDisplay().setLeft(player::kTitleStartTwips); });
    rt::skipOnError([&] { d().TextInfo.setVisible(false); });
    rt::skipOnError([&] { player::infoFile().Hide(); });
    rt::skipOnError([&] { d().LabelNvip.setVisible(false); });
    rt::skipOnError([&] { d().Files.setVisible(false); });
    rt::skipOnError([&] { player::sa().engine().setURL(rt::String()); });
    NumVips_ = 0;
    rt::skipOnError([&] { d().TimerLap.setEnabled(true); });
    TiempoLap_ = 0;
    rt::skipOnError([&] { d().ListFiles.Clear(); });
    bool projectGavePaths = false;

    if (Data.GetFormat(rt::shell::vbCFFiles)) {
        for (int i = 1; i <= Data.Files.Count(); ++i) {
            const rt::String f = Data.Files(i);
            rt::String name;
            rt::skipOnError([&] { name = rt::Dir(f); });
            if (endsInProject(name)) {
                add(lines::longSeparator());
                add(lines::projectHeader(NumVips_ + 1, f));
                add(lines::longSeparator());
                rt::skipOnError([&] {
                    projectGavePaths = ExtraerNombres_Archivos(f, d().ListFiles, lines::indentLine(), true);
                });
                if (!stillHere())
                    return;
                if (projectGavePaths)
                    ++NumVips_;
            } else {
                rt::skipOnError([&] {
                    buscar().d().Text1.setText(f);
                    buscar().BuscarFiles();
                });
                if (!stillHere())
                    return;
            }
            if (endsInLooseAudio(name)) {
                if (projectGavePaths) {
                    add(lines::longSeparator());
                    projectGavePaths = false;
                }
                add(f);
            }
        }
    }
    rt::skipOnError([&] { showProjectCount(); });
    add(lines::longSeparator());
    rt::skipOnError([&] { ContarFiles(); });
    rt::skipOnError([&] { SetListHScroll(d().ListFiles); });
    rt::skipOnError([&] { Mostrar_TiempoLap(); });
}

void PlayList::TimerLap_Timer() {
    rt::Label& title = titleDisplay();
    title.setCaption(nextLapFigure(title.Caption()));
    TiempoLap_ += kLapStepSeconds;
}

void PlayList::Mostrar_TiempoLap() {
    d().TimerLap.setEnabled(false);
    titleDisplay().setCaption(loadTimeText(TiempoLap_));
}

} // namespace playlist
