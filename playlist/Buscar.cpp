#include "playlist/Buscar.h"

#include "platform/base/Errors.h"
#include "platform/win/FileSystem.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"

#include <array>
#include <vector>

namespace playlist {

namespace {

const rt::String kSeparator = QStringLiteral("\\");
const rt::String kProjectTail = QStringLiteral("vip");
constexpr std::array kProjectExtension{u".vip"};
constexpr std::array kLooseAudioExtensions{u".mp3", u".wav", u".aif", u".m4a", u".wma"};
constexpr int kExtensionLength = 4;

bool endsInLooseAudioExtension(const rt::String& name) {
    const QStringView lastFour = QStringView(name).right(kExtensionLength);
    for (const char16_t* extension : kLooseAudioExtensions)
        if (lastFour.compare(QStringView(extension), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Whether `path` holds one of the extensions anywhere, without regard to case. Every extension starts with
// a dot, so only the few places of a dot are compared (a search per extension costs more with thousands of
// loose files).
template <std::size_t N>
bool holdsAnyOf(const rt::String& path, const std::array<const char16_t*, N>& extensions) {
    const QStringView text(path);
    for (qsizetype dot = text.indexOf(u'.'); dot >= 0; dot = text.indexOf(u'.', dot + 1)) {
        const QStringView here = text.mid(dot, kExtensionLength);
        for (const char16_t* extension : extensions)
            if (here.compare(QStringView(extension), Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

bool holdsLooseAudioExtension(const rt::String& path) {
    return holdsAnyOf(path, kLooseAudioExtensions);
}

// Only a path holding ".vip" can be a valid project (the scanner reads no other), so the loose audio files
// need not be looked up once more.
bool mayBeProject(const rt::String& path) {
    return holdsAnyOf(path, kProjectExtension);
}

// A path names a folder (or a link to one) exactly when it can be looked at with a separator after it:
// dots in its names do not matter.
bool namesFolder(const rt::String& path) {
    return rt::skipOnError([&] { rt::GetAttr(path + kSeparator); });
}

// The names of one listing, read at once: the walk goes down into subfolders between two names, and the
// runtime has a single listing, so each level keeps its own copy instead of listing its folder again.
std::vector<rt::String> namesListed(const rt::String& pathPattern, int attributes) {
    std::vector<rt::String> names;
    rt::skipOnError([&] {
        for (rt::String name = rt::Dir(pathPattern, attributes); !name.isEmpty(); name = rt::Dir())
            names.push_back(name);
    });
    return names;
}

rt::shell::ProgressBar& progressBar() {
    return player::player().d().XP_ProgressBar1;
}

} // namespace

bool isCandidateName(const rt::String& name) {
    return name.endsWith(kProjectTail, Qt::CaseInsensitive) || endsInLooseAudioExtension(name);
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
        walked_.clear();
        c.List1.AddItem(Ruta);
        BuscarSubcarpetas(Ruta);
        if (abandoned_)
            return;
        ListarArchivos();
        if (abandoned_)
            return;
        walked_.clear();
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
    rt::skipOnError([] { playList().captionProjectCount(); });
}

void Buscar::writeCandidates() {
    PlayList& list = playList();
    rt::ListBox& candidates = d().List2;
    bool extraWritten = false;
    const int count = candidates.ListCount();
    for (int i = 0; i < count; ++i) {
        const rt::String p = candidates.List(i);
        const bool valid = mayBeProject(p) && list.Valido(p);
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
    // `carpeta` may be Ruta itself, which the levels below overwrite: this level keeps its own copy.
    const rt::String folder = carpeta;
    const rt::String raiz = folder + kSeparator;
    // The folder's files are listed now for the file listing after the walk. A name among them is no
    // folder, so only the other entries need a look at their attributes, which costs more than a listing.
    std::vector<rt::String> files = namesListed(raiz + Patron, rt::kAttrNormal);
    const std::size_t slot = walked_.size();
    walked_.push_back({folder, {}});
    // Both listings come in one order, the files being some of the entries.
    std::size_t nextFile = 0;
    for (const rt::String& name : namesListed(raiz, rt::kAttrDirectory)) {
        const bool listedAsFile = nextFile < files.size() && files[nextFile] == name;
        nextFile += listedAsFile ? 1 : 0;
        int attributes = rt::kAttrNormal;
        // An entry that vanished since the listing is passed over like a folder that cannot be listed.
        const bool subfolder = !listedAsFile && name != u"." && name != u".." &&
                               rt::skipOnError([&] { attributes = rt::GetAttr(raiz + name); }) &&
                               attributes == rt::kAttrDirectory;
        if (subfolder) {
            Ruta = raiz + name;
            d().List1.AddItem(Ruta);
            BuscarSubcarpetas(Ruta);
            if (abandoned_)
                return;
        }
        if (!pump())
            return;
    }
    // A search started from a pump meanwhile has walked folders of its own.
    if (slot < walked_.size() && walked_[slot].folder == folder)
        walked_[slot].files = std::move(files);
}

void Buscar::ListarArchivos() {
    const int count = d().List1.ListCount();
    for (int i = 0; i < count; ++i) {
        const rt::String listed = d().List1.List(i);
        const rt::String folder = listed + kSeparator;
        // The walk listed the folders in this same order; a search run meanwhile may have changed them.
        const bool walked = std::size_t(i) < walked_.size() && walked_[i].folder == listed;
        const std::vector<rt::String> names =
            walked ? std::move(walked_[i].files) : namesListed(folder + Patron, rt::kAttrNormal);
        for (const rt::String& name : names) {
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
