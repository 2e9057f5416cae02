#pragma once
// The folder search: a hidden work window whose lists hold the folders and the candidate files of a
// dropped folder; the valid projects and the loose audio files it finds are written to the playlist.
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"

#include <vector>

namespace playlist {

// The controls of the work window in design order. It is never shown.
struct BuscarDesign {
    explicit BuscarDesign(rt::Form& window);

    rt::TextBox Text1;
    rt::ListBox List1;
    rt::ListBox List2;
};

class Buscar : public rt::FormWithDesign<BuscarDesign> {
  public:
    Buscar();
    using FormWithDesign::d;

    // Searches the folder written in Text1 with all its subfolders and appends what it finds to the
    // playlist.
    void BuscarFiles();

  private:
    void BuscarSubcarpetas(const rt::String& carpeta);
    void ListarArchivos();
    // Writes the valid projects and the loose audio files of List2 to the playlist.
    void writeCandidates();
    // Lets pending window events run; false once the search must end because a window it writes to was
    // closed meanwhile (it must not be touched again, or it would load afresh).
    bool pump();
    bool windowsStillThere();

    rt::String Ruta;
    rt::String Patron;
    // The files of each walked folder, in the walk's order, listed while the walk was there.
    struct WalkedFolder {
        rt::String folder;
        std::vector<rt::String> files;
    };
    std::vector<WalkedFolder> walked_;
    bool abandoned_ = false;
};

// The work window's one instance.
Buscar& buscar();

// Whether a listed file name is worth a look: a name ending in "vip" (a dot is not required) or in one of
// the loose audio extensions, without regard to case.
bool isCandidateName(const rt::String& name);

} // namespace playlist
