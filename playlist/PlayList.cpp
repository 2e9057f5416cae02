#include "playlist/PlayList.h"

#include "controls/RegionFromBitmap.h"
#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "player/WindowBehaviour.h"
#include "player/WindowDesign.h"
#include "playlist/PlaylistLines.h"

namespace playlist {

namespace {

namespace skin = rt::skin;
using player::kMinimised;
using player::Place;
using player::place;
using player::placeCloseButton;
using player::placeMinimiseButton;

// ---- the design: places in twips, colours as 0x00BBGGRR ----

constexpr int kLapTimerMs = 100;
constexpr Place kCheckToolTipsPlace{900, 4320, 2400, 195};
constexpr Place kList1Place{135, 4815, 510, 450};
constexpr Place kTextInfoPlace{810, 1800, 2625, 2355};
constexpr Place kListFilesPlace{495, 1620, 3210, 2595};
constexpr Place kMinimisePlace{720, 720, 285, 270};
constexpr Place kClosePlace{1035, 720, 285, 270};
constexpr Place kLabelNvipPlace{570, 1200, 105, 195};
constexpr Place kFilesPlace{540, 1395, 105, 195};
constexpr Place kImagePlace{1395, 4635, 480, 480};
constexpr Place kLabel1Place{1980, 4725, 855, 285};

constexpr std::int32_t kCheckBackColour = 0x52676B;
constexpr std::int32_t kCheckTextColour = static_cast<std::int32_t>(0x8000000E);
constexpr std::int32_t kHelpBackColour = 0xC0E0FF;
constexpr std::int32_t kListBackColour = 0xF8F8F8;
constexpr std::int32_t kListTextColour = 0x000000;
constexpr std::int32_t kLabel1TextColour = 0xC0E0FF;
const rt::FontSpec kLabel1Font{"MS Sans Serif", 8.25, true};

// The list's tooltip starts on: it is what tells a new user that a click plays a line.
constexpr int kToolTipsAtStart = 1;

const rt::String kListTip =
    QStringLiteral("Clic reproduce archivo clicado. tecla <Espacio> Play/Pausa,teclas <+> <-> Volumen");
const rt::String kHelpText = QStringLiteral("Se puede arrastrar uno o varios \r\n"
                                            "archivos VIP desde el \r\n"
                                            "Explorador de Windows, \r\n"
                                            "seleccionando con Crt+E todos los \r\n"
                                            "archivos de una carpeta sean o no \r\n"
                                            "de proyectos VIP.\r\n"
                                            "Solo se cargaran archivos VIP\r\n"
                                            "válidos, el resto se discrimina. \r\n"
                                            "Asimismo, se puede arrastrar una \r\n"
                                            "carpeta donde a su vez, haya VIP\r\n"
                                            "o subcarpetas que los tengan.\r\n");

// A label sized to its caption over the skin, its background see-through.
void placeCaption(rt::Label& label, const Place& at, const rt::String& caption) {
    place(label, at);
    label.setBackStyle(rt::Label::kTransparent);
    label.setAutoSize(true);
    label.setCaption(caption);
}

rt::MediaPlayer& engine() {
    return player::sa().engine();
}

} // namespace

PlayListDesign::PlayListDesign(rt::Form& window)
    : TimerLap(kLapTimerMs, false), CheckToolTips(window), List1(window), TextInfo(window), ListFiles(window),
      cmdMinimizar(window), Close(window), LabelNvip(window), Files(window), Image(window), Label1(window) {
    window.setPicture(rt::PictureObject::fromSkin(skin::kPlayList));
    window.setBackColor(skin::kBlueKey);
    window.setIcon(rt::PictureObject::fromSkin(skin::kPlayerIcon));
    window.setKeyPreview(true);

    place(CheckToolTips, kCheckToolTipsPlace);
    CheckToolTips.setCaption(QStringLiteral("Act/desactivar ToolTip lista."));
    CheckToolTips.setBackColor(kCheckBackColour);
    CheckToolTips.setForeColor(kCheckTextColour);
    CheckToolTips.setToolTipText(QStringLiteral("Activar/desactivar ToolTip de listado."));
    CheckToolTips.setValue(kToolTipsAtStart);

    place(List1, kList1Place);
    List1.setAccessibleName(QStringLiteral("List1"));
    List1.setVisible(false);

    place(TextInfo, kTextInfoPlace);
    TextInfo.setBackColor(kHelpBackColour);
    TextInfo.setText(kHelpText);
    TextInfo.setLocked(true);
    TextInfo.setAccessibleName(QStringLiteral("TextInfo"));
    TextInfo.setVisible(false);

    place(ListFiles, kListFilesPlace);
    ListFiles.setAccessibleName(QStringLiteral("ListFiles"));
    ListFiles.setColours(kListBackColour, kListTextColour);
    ListFiles.setToolTipText(kListTip);
    ListFiles.setAcceptsDrops(true);

    placeMinimiseButton(cmdMinimizar, kMinimisePlace);
    placeCloseButton(Close, kClosePlace);

    placeCaption(LabelNvip, kLabelNvipPlace, QStringLiteral("V"));
    LabelNvip.setAccessibleName(QStringLiteral("LabelNvip"));
    LabelNvip.setVisible(false);
    placeCaption(Files, kFilesPlace, QStringLiteral("A"));
    Files.setAccessibleName(QStringLiteral("Files"));
    Files.setVisible(false);

    place(Image, kImagePlace);
    Image.setPicture(rt::PictureObject::fromSkin(skin::kInfoFound));
    Image.setToolTipText(QStringLiteral("Clic para explicaciones."));

    Label1.setFont(kLabel1Font);
    Label1.setForeColor(kLabel1TextColour);
    placeCaption(Label1, kLabel1Place, QStringLiteral(" Play list "));
    Label1.setToolTipText(QStringLiteral("Clic bot.izq. borra toda la lista"));
}

PlayList::PlayList() : FormWithDesign(QStringLiteral("Play List")) {}

void PlayList::wireEvents() {
    PlayListDesign& c = d();
    c.TimerLap.onTimer = [this] { TimerLap_Timer(); };
    c.CheckToolTips.onClick = [this] { CheckToolTips_Click(); };
    c.TextInfo.onClick = [this] { TextInfo_Click(); };
    c.ListFiles.onClick = [this] { ListFiles_Click(); };
    c.ListFiles.onOLEDragDrop = [this](rt::shell::DropData& data, std::int32_t& effect, std::int16_t& button,
                                       std::int16_t& shift, float& x, float& y) {
        ListFiles_OLEDragDrop(data, effect, button, shift, x, y);
    };
    c.cmdMinimizar.Click = [this] { cmdMinimizar_Click(); };
    c.Close.Click = [this] { Close_Click(); };
    c.Image.onClick = [this] { Image_Click(); };
    c.Label1.onClick = [this] { Label1_Click(); };
}

void PlayList::Form_Load() {
    ++loadGeneration_;
    wireEvents();
    player::sizeToSkin(*this);
    controls::ShapeForm(*this, skin::kBlueKey);
    PlayListDesign& c = d();
    rt::skipOnError([&] { player::makeTopmost(*this); });
    rt::skipOnError([&] { c.TextInfo.setVisible(false); });
    rt::skipOnError([&] { CheckToolTips_Click(); });
}

void PlayList::CheckToolTips_Click() {
    PlayListDesign& c = d();
    c.ListFiles.setToolTipText(c.CheckToolTips.Value() != 0 ? kListTip : rt::String());
}

void PlayList::Image_Click() {
    rt::TextBox& help = d().TextInfo;
    help.setVisible(!help.Visible());
}

void PlayList::TextInfo_Click() {
    d().TextInfo.setVisible(false);
}

// The main window's keys act over the list as over the main window, and never reach the list's search.
void PlayList::Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (!player::isPlayerKey(KeyCode))
        return;
    player::player().keyDown(KeyCode, Shift);
    KeyCode = 0;
}

void PlayList::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    d().TextInfo.setVisible(false);
    player::moveByBody(*this);
}

void PlayList::Form_DblClick() {
    rt::skipOnError([&] { d().TextInfo.setVisible(false); });
    player::Player& main = player::player();
    if (!main.Visible())
        return;
    rt::skipOnError([&] { setLeft(main.Left() + player::kDockPlayList.left); });
    rt::skipOnError([&] { setTop(main.Top() + player::kDockPlayList.top); });
}

void PlayList::Label1_Click() {
    PlayListDesign& c = d();
    c.TextInfo.setVisible(false);
    c.ListFiles.Clear();
    c.LabelNvip.setVisible(false);
    c.Files.setVisible(false);
    engine().setURL(rt::String());
    player::infoFile().Hide();
    player::sa().Hide();
    player::player().d().LabelDisplay.setCaption(rt::String());
}

void PlayList::cmdMinimizar_Click() {
    setWindowState(kMinimised);
    engine().setURL(rt::String());
}

void PlayList::Close_Click() {
    Unload();
}

void PlayList::ContarFiles() {
    PlayListDesign& c = d();
    const int count = c.ListFiles.ListCount();
    std::int32_t audio = 0;
    for (int i = 0; i < count; ++i)
        if (lines::countsAsAudio(c.ListFiles.List(i)))
            ++audio;
    if (audio > 0) {
        c.Files.setCaption(rt::String::number(audio) + QStringLiteral(" archivos de audio"));
        c.Files.setVisible(true);
    }
    NumVips_ = 0;
    for (int i = 0; i < count; ++i)
        if (lines::countsAsProject(c.ListFiles.List(i)))
            ++NumVips_;
    showProjectCount();
}

void PlayList::captionProjectCount() {
    d().LabelNvip.setCaption(rt::String::number(NumVips_) + QStringLiteral(" Proyectos Vips"));
}

void PlayList::showProjectCount() {
    if (NumVips_ <= 0)
        return;
    captionProjectCount();
    d().LabelNvip.setVisible(true);
}

bool PlayList::pumpEvents() {
    const std::uint64_t generation = loadGeneration_;
    rt::DoEvents();
    return isLoaded() && loadGeneration_ == generation;
}

PlayList& playList() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static PlayList* window = new PlayList;
    return *window;
}

} // namespace playlist
