#include "playlist/Buscar.h"

#include "platform/runtime/Errors.h"
#include "platform/win/FileSystem.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"

#include <array>
#include <vector>

namespace playlist {

namespace {

const rt::String kSeparator = QStringLiteral("\\");
const rt::String kProjectsSuffix = QStringLiteral(" Proyectos Vips");
const rt::String kProjectTail = QStringLiteral("vip");
constexpr std::array kLooseAudioExtensions{u".mp3", u".wav", u".aif", u".m4a", u".wma"};
constexpr int kExtensionLength = 4;

bool isLooseAudioExtension(const rt::String& lastFour) {
    for (const char16_t* extension : kLooseAudioExtensions)
        if (lastFour == QStringView(extension))
            return true;
    return false;
}

bool holdsLooseAudioExtension(const rt::String& path) {
    for (const char16_t* extension : kLooseAudioExtensions)
        if (path.contains(QStringView(extension), Qt::CaseInsensitive))
            return true;
    return false;
}

// A path names a folder (or a link to one) exactly when it can be looked at with a separator after it:
// dots in its names do not matter.
bool namesFolder(const rt::String& path) {
    return rt::skipOnError([&] { rt::GetAttr(path + kSeparator); });
}

// The names of one listing, read at once: the walk goes down into subfolders between two names, and the
// runtime has a single listing, so each level keeps its own copy instead of listing its folder again.
std::vector<rt::String> namesListed(const rt::String& pathSpec, int attributes) {
    std::vector<rt::String> names;
    rt::skipOnError([&] {
        for (rt::String name = rt::Dir(pathSpec, attributes); !name.isEmpty(); name = rt::Dir())
            names.push_back(name);
    });
    return names;
}

rt::shell::ProgressBar& progressBar() {
    return player::player().d().XP_ProgressBar1;
}

} // namespace

bool isCandidateName(const rt::String& name) {
    const rt::String lower = rt::LCase(name);
    return lower.endsWith(kProjectTail) || isLooseAudioExtension(rt::Right(lower, kExtensionLength));
}

BuscarDesign::BuscarDesign(rt::Form& window) : Text1(window), List1(window), List2(window) {
    Text1.setAccessibleName(QStringLiteral("Text1"));
    List1.setAccessibleName(QStringLiteral("List1"));
    List2.setAccessibleName(QStringLiteral("List2"));
}

Buscar::Buscar() : FormWithDesign(QStringLiteral("Buscar Texturas")) {}

void Buscar::BuscarFiles() {
    abandoned_ = false;
    rt::endSilentlyOnError([&] {
        BuscarDesign& c = d();
        const rt::String t = c.Text1.Text();
        if (t.isEmpty())
            return;
        Ruta = t.endsWith(kSeparator) ? t.chopped(1) : t;
        Patron = rt::String();
        if (!namesFolder(Ruta))
            return;
        c.List1.Clear();
        c.List2.Clear();
        c.List1.AddItem(Ruta);
        BuscarSubcarpetas(Ruta);
        if (abandoned_)
            return;
        ListarArchivos();
        if (abandoned_)
            return;
        playList().setNumVips(0);
        progressBar().setVisible(true);
        writeCandidates();
    });
    if (abandoned_) {
        // The playlist or the program is gone: only the bar of a main window that is still there is put away.
        if (player::player().isLoaded())
            rt::skipOnError([] { progressBar().setVisible(false); });
        return;
    }
    rt::skipOnError([] { progressBar().setVisible(false); });
    rt::skipOnError([] {
        PlayList& list = playList();
        list.d().LabelNvip.setCaption(rt::String::number(list.NumVips()) + kProjectsSuffix);
    });
}

void Buscar::writeCandidates() {
    PlayList& list = playList();
    rt::ListBox& candidates = d().List2;
    bool extraWritten = false;
    const int count = candidates.ListCount();
    for (int i = 0; i < count; ++i) {
        const rt::String p = candidates.List(i);
        const bool valid = list.Valido(p);
        if (!windowsStillThere())
            return;
        rt::ListBox& lines = list.d().ListFiles;
        if (valid) {
            lines.AddItem(lines::shortSeparator());
            lines.AddItem(lines::projectHeader(list.NumVips() + 1, p));
            lines.AddItem(lines::shortSeparator());
            const bool listed = list.ExtraerNombres_Archivos(p, lines, lines::indentLine(), true);
            if (!windowsStillThere())
                return;
            if (listed)
                list.setNumVips(list.NumVips() + 1);
        } else if (holdsLooseAudioExtension(p)) {
            if (!extraWritten) {
                lines.AddItem(lines::indentLine());
                lines.AddItem(lines::audiosExtraLine());
                extraWritten = true;
            }
            lines.AddItem(p);
        }
        // Thousands of loose files pass without a scan, which would otherwise be the only pump here.
        if (!pump())
            return;
    }
}

void Buscar::BuscarSubcarpetas(const rt::String& carpeta) {
    const rt::String raiz = carpeta + kSeparator;
    for (const rt::String& name : namesListed(raiz, rt::kAttrDirectory)) {
        int attributes = rt::kAttrNormal;
        // An entry that vanished since the listing is passed over like a folder that cannot be listed.
        const bool folder = name != u"." && name != u".." &&
                            rt::skipOnError([&] { attributes = rt::GetAttr(raiz + name); }) &&
                            attributes == rt::kAttrDirectory;
        if (folder) {
            Ruta = raiz + name;
            d().List1.AddItem(Ruta);
            BuscarSubcarpetas(Ruta);
            if (abandoned_)
                return;
        }
        if (!pump())
            return;
    }
}

void Buscar::ListarArchivos() {
    const int count = d().List1.ListCount();
    for (int i = 0; i < count; ++i) {
        const rt::String folder = d().List1.List(i) + kSeparator;
        for (const rt::String& name : namesListed(folder + Patron, rt::kAttrNormal)) {
            if (isCandidateName(name))
                d().List2.AddItem(folder + name);
            if (!pump())
                return;
        }
    }
}

bool Buscar::windowsStillThere() {
    abandoned_ = abandoned_ || !isLoaded() || !playList().isLoaded();
    return !abandoned_;
}

bool Buscar::pump() {
    if (!playList().pumpEvents())
        abandoned_ = true;
    return windowsStillThere();
}

Buscar& buscar() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static Buscar* window = new Buscar;
    return *window;
}

} // namespace playlist
