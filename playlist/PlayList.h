#pragma once
// The playlist window: the list of the loaded projects' audio files and loose audio files, its counts,
// help text and tooltip switch; the scanner that reads projects; the drop loader; playing a clicked line.
#include "controls/Button.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/Timer.h"
#include "platform/win/DropData.h"

#include <cstdint>
#include <optional>

namespace playlist {

// The controls of the playlist window in design order (front to back).
struct PlayListDesign {
    explicit PlayListDesign(rt::Form& window);

    rt::Timer TimerLap;
    rt::CheckBox CheckToolTips;
    rt::ListBox List1;
    rt::TextBox TextInfo;
    rt::ListBox ListFiles;
    controls::Button cmdMinimizar;
    controls::Button Close;
    rt::Label LabelNvip;
    rt::Label Files;
    rt::Image Image;
    rt::Label Label1;
};

class PlayList : public rt::FormWithDesign<PlayListDesign> {
  public:
    PlayList();
    using FormWithDesign::d;

    // The public members. NumVips is 32-bit so that a playlist of many large projects still counts.
    std::int32_t NumVips() const { return NumVips_; }
    void setNumVips(std::int32_t value) { NumVips_ = value; }
    double TiempoLap() const { return TiempoLap_; }
    void setTiempoLap(double value) { TiempoLap_ = value; }

    void Form_DblClick() override;
    // Playing a clicked line, and the search of the other drives for a file that has moved.
    void ListFiles_Click();
    rt::String BuscarUnidad(const rt::String& path, rt::ListBox& list, std::int16_t position);
    // Loading a drop of projects, folders and audio files.
    void ListFiles_OLEDragDrop(rt::shell::DropData& Data, std::int32_t& Effect, std::int16_t& Button,
                               std::int16_t& Shift, float& X, float& Y);
    void ContarFiles();
    // LabelNvip: NumVips followed by " Proyectos Vips". The folder search only writes it; a load writes and
    // shows it when there is a project and otherwise leaves it as it was.
    void captionProjectCount();
    void showProjectCount();
    // The project scanner.
    bool Valido(const rt::String& archivo);
    bool ExtraerNombres_Archivos(const rt::String& archivo, rt::ListBox& lista, const rt::String& sangria,
                                 bool agregar);
    rt::String Obtener_Nombre_Archivo(const rt::String& ruta);

    // The event pump of long loads (scans, folder walks): lets pending window events run. False once the
    // window was unloaded meanwhile (closed, or the program ending): the load must then end at once
    // without touching the window again.
    bool pumpEvents();

  protected:
    void Form_Load() override;
    void Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;

  private:
    void wireEvents();
    void CheckToolTips_Click();
    void Image_Click();
    void TextInfo_Click();
    void Label1_Click();
    void cmdMinimizar_Click();
    void Close_Click();
    void TimerLap_Timer();
    void Mostrar_TiempoLap();
    // Where a project's scan starts and ends (positions from 1). The start is also returned, 0 when the
    // header text has no NUL: a scan works from its own bounds, whatever a scan run meanwhile writes.
    // `ended` turns true when a pump found the window gone: the scan must then end at once.
    std::int32_t Leer_Cabecera_Vip(const rt::String& archivo, bool& ended);
    std::int32_t Buscar_Fin_Lista(const rt::String& ruta, std::int32_t desde, bool& ended);

    void loadDrop(rt::shell::DropData& Data);

    // A drop that arrived during a load, with the window's load it arrived in.
    struct PendingDrop {
        rt::shell::DropData data;
        std::uint64_t generation = 0;
    };

    std::int32_t NumVips_ = 0;
    double TiempoLap_ = 0;
    std::int32_t FinLista = 0;
    std::int32_t InicioLista = 0;
    // Counts the window's loads, so a long load can tell that the window it started on is gone.
    std::uint64_t loadGeneration_ = 0;
    bool loadRunning_ = false;
    std::optional<PendingDrop> pendingDrop_;
};

// The load timer's next running figure: the number that starts the title display, plus a tenth.
rt::String nextLapFigure(const rt::String& title);
// The time a load took as the title display shows it: "12.30 seg" (the user's decimal separator) up to
// 59 seconds, "1 min 0 seg" above.
rt::String loadTimeText(double seconds);

// The playlist window's one instance.
PlayList& playList();

} // namespace playlist
