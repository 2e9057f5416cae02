// The project scanner: validates a .vip project and extracts the audio paths it references.
#include "platform/base/Errors.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/FileSystem.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"
#include "playlist/ProjectScan.h"

namespace playlist {

namespace {

constexpr int kTitleBufferChars = 255;

// A project opened for reading under the lowest free number, closed on every way out.
class OpenProject {
  public:
    explicit OpenProject(const rt::String& path) : number_(rt::FreeFile()) {
        rt::OpenForBinaryRead(number_, path);
    }
    ~OpenProject() { rt::Close(number_); }
    OpenProject(const OpenProject&) = delete;
    OpenProject& operator=(const OpenProject&) = delete;
    int number() const { return number_; }

  private:
    int number_;
};

// The header and list-end searches only pump; `ended` remembers a pump that found the window gone.
class PumpOnly : public scan::ScanEffects {
  public:
    PumpOnly(PlayList& window, bool& ended) : window_(window), ended_(ended) {}
    bool pump() override {
        if (!window_.pumpEvents())
            ended_ = true;
        return !ended_;
    }
    void addPath(const rt::String&) override {}
    void setBarValue(std::int32_t) override {}

  private:
    PlayList& window_;
    bool& ended_;
};

// The path pass adds its lines to the list and moves the main window's bar. `added` holds once a line is
// in, so a failure later in the scan still reports the paths found.
class ListAndBar : public scan::ScanEffects {
  public:
    ListAndBar(PlayList& window, rt::ListBox& list, rt::shell::ProgressBar& bar, bool& added)
        : window_(window), list_(list), bar_(bar), added_(added) {}
    bool pump() override { return window_.pumpEvents(); }
    void addPath(const rt::String& path) override {
        list_.AddItem(path);
        added_ = true;
    }
    void setBarValue(std::int32_t value) override { bar_.setValue(value); }

  private:
    PlayList& window_;
    rt::ListBox& list_;
    rt::shell::ProgressBar& bar_;
    bool& added_;
};

rt::String projectPathOf(const rt::String& archivo) {
    // ">" is legal in file names: only a line of the header's form names a project after its arrow.
    return lines::isProjectHeader(archivo) ? lines::pathOfProjectHeader(archivo) : archivo;
}

} // namespace

std::int32_t PlayList::Leer_Cabecera_Vip(const rt::String& archivo, bool& ended) {
    std::int64_t length = 0;
    if (archivo.isEmpty() || !rt::skipOnError([&] { length = rt::FileLen(archivo); }) || length == 0)
        return 0;
    std::int32_t start = 0;
    // A read that fails ends the search without a start.
    rt::skipOnError([&] {
        OpenProject file(archivo);
        scan::ProjectBytes bytes(file.number(), length);
        PumpOnly pump(*this, ended);
        start = static_cast<std::int32_t>(scan::headerTextEnd(bytes, pump).position);
    });
    if (start > 0)
        InicioLista = start;
    return start;
}

std::int32_t PlayList::Buscar_Fin_Lista(const rt::String& ruta, std::int32_t desde, bool& ended) {
    const std::int64_t length = rt::FileLen(ruta);
    if (length == 0)
        return 0;
    std::int32_t end = 0;
    rt::skipOnError([&] {
        OpenProject file(ruta);
        scan::ProjectBytes bytes(file.number(), length);
        PumpOnly pump(*this, ended);
        end = static_cast<std::int32_t>(scan::listChunkEnd(bytes, desde, pump).position);
    });
    return end;
}

bool PlayList::ExtraerNombres_Archivos(const rt::String& archivo, rt::ListBox& lista,
                                       const rt::String& sangria, bool agregar) {
    load();
    if (!rt::LCase(archivo).contains(QStringLiteral(".vip")))
        return false;
    const rt::String path = projectPathOf(archivo);
    std::int64_t length = 0;
    if (!rt::existsAsOrdinaryFile(path) || !rt::skipOnError([&] { length = rt::FileLen(path); }) ||
        length == 0 || length >= scan::kMaxProjectBytes)
        return false;

    // Each scan keeps its own bounds: a scan run inside one of its pumps rewrites the members.
    bool ended = false;
    const std::int32_t start = Leer_Cabecera_Vip(path, ended);
    std::int32_t end = 0;
    const bool bounded =
        !ended && start > 0 && rt::skipOnError([&] { end = Buscar_Fin_Lista(path, start, ended); }) && !ended;
    FinLista = end;
    if (!bounded)
        return false;

    bool result = false;
    rt::endSilentlyOnError([&] {
        rt::shell::ProgressBar& bar = player::player().d().XP_ProgressBar1;
        bar.setMin(0);
        bar.setMax(end);
        if (!sangria.isEmpty())
            lista.AddItem(sangria);
        OpenProject file(path);
        scan::ProjectBytes bytes(file.number(), length);
        ListAndBar effects(*this, lista, bar, result);
        if (scan::audioPaths(bytes, start, end, agregar, effects))
            result = true;
    });
    return result;
}

bool PlayList::Valido(const rt::String& archivo) {
    load();
    return rt::existsAsOrdinaryFile(archivo) && archivo.contains(u'.') &&
           ExtraerNombres_Archivos(archivo, d().List1, rt::String(), false);
}

rt::String PlayList::Obtener_Nombre_Archivo(const rt::String& ruta) {
    QString buffer(kTitleBufferChars, QChar(0));
    rt::GetFileTitleA(ruta, buffer, kTitleBufferChars);
    const qsizetype nul = buffer.indexOf(QChar(0));
    return nul < 0 ? buffer : buffer.left(nul);
}

} // namespace playlist
