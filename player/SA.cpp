#include "player/SA.h"

#include "controls/RegionFromBitmap.h"
#include "platform/base/Errors.h"
#include "platform/runtime/Numbers.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/Player.h"
#include "player/WindowBehaviour.h"
#include "player/WindowDesign.h"

namespace player {

namespace {

namespace skin = rt::skin;

// ---- the design: places in twips, colours as 0x00BBGGRR ----

constexpr Place kPicture1Place{4500, 90, 840, 345};
constexpr Place kLabelTimePlace{60, 15, 675, 240};
constexpr Place kMinimisePlace{240, 720, 285, 270};
constexpr Place kClosePlace{240, 405, 285, 270};
constexpr Place kShapeVolPlace{5355, 750, 60, 4050};
constexpr Place kWindowsMediaPlayerPlace{600, 495, 4665, 4545};
constexpr Place kLabel1Place{2415, 165, 1035, 195};

constexpr std::int32_t kStripBack = 0xBEB8A1;
constexpr std::int32_t kLevelBarColour = 0x80FF80;
// The level bar grows upward from this line, in pixels.
constexpr double kLevelBarBottomPx = 320;
constexpr std::int16_t kLevelBarPixelsPerStep = 3;

// The window measures its controls in pixels.
Place inPixels(const Place& twips) {
    constexpr double perPixel = rt::kTwipsPerPixel;
    return {twips.left / perPixel, twips.top / perPixel, twips.width / perPixel, twips.height / perPixel};
}

} // namespace

SADesign::SADesign(rt::Form& window)
    : Picture1(window), LabelTime(Picture1), cmdMinimizar(window), Close(window), ShapeVol(window),
      WindowsMediaPlayer(window), Label1(window) {
    window.setScaleMode(rt::kScalePixels);
    window.setPicture(rt::PictureObject::fromSkin(skin::kSa));
    window.setIcon(rt::PictureObject::fromSkin(skin::kPlayerIcon));
    window.setKeyPreview(true);

    place(Picture1, inPixels(kPicture1Place));
    Picture1.setBackColor(kStripBack);
    Picture1.setPicture(rt::PictureObject::fromSkin(skin::kStrip));
    // Inside the strip the box keeps its own twips.
    place(LabelTime, kLabelTimePlace);
    LabelTime.setFont({"MS Sans Serif", 9.75, true});
    LabelTime.setBackStyle(rt::Label::kTransparent);
    LabelTime.setForeColor(skin::kReadoutTextColor);
    LabelTime.setToolTipText("Tiempo transcurrido");
    placeMinimiseButton(cmdMinimizar, inPixels(kMinimisePlace));
    placeCloseButton(Close, inPixels(kClosePlace));
    place(ShapeVol, inPixels(kShapeVolPlace));
    ShapeVol.setFillColor(kLevelBarColour);
    place(WindowsMediaPlayer, inPixels(kWindowsMediaPlayerPlace));
    WindowsMediaPlayer.setToolTipText("Tecla <Espacio> Play/Pausa,teclas <+> <-> Volumen");
    place(Label1, inPixels(kLabel1Place));
    Label1.setFont({"MS Sans Serif", 8.25, true});
    Label1.setBackStyle(rt::Label::kTransparent);
    Label1.setCaption("Spectral VU");
    // The stand-in for MS Sans Serif runs wider than the design's 69 pixels: the label takes its text's
    // width.
    Label1.setAutoSize(true);
}

SA::SA() : FormWithDesign("Espectrómetro") {}

void SA::Form_Load() {
    SADesign& c = d();
    c.Close.Click = [this] { Close_Click(); };
    c.cmdMinimizar.Click = [this] { cmdMinimizar_Click(); };

    sizeToSkin(*this);
    controls::ShapeForm(*this, skin::kWhiteKey);
    rt::skipOnError([this] { makeTopmost(*this); });
    rt::skipOnError([&] { c.ShapeVol.setHeight(0); });
    rt::skipOnError([&] { c.ShapeVol.setTop(kLevelBarBottomPx); });
}

void SA::Form_DblClick() {
    if (player().Visible()) {
        rt::skipOnError([this] { setLeft(player().Left() + kDockSA.left); });
        rt::skipOnError([this] { setTop(player().Top() + kDockSA.top); });
    }
    rt::skipOnError([this] { engine().settings.setBalance(0); });
}

void SA::VuSA(std::int16_t Nivel) {
    rt::Shape& bar = d().ShapeVol;
    bar.setHeight(rt::mul16(Nivel, kLevelBarPixelsPerStep));
    bar.setTop(kLevelBarBottomPx - bar.Height());
}

void SA::Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    player().keyDown(KeyCode, Shift);
}

void SA::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    moveByBody(*this);
}

void SA::Close_Click() {
    Unload();
}

void SA::cmdMinimizar_Click() {
    setWindowState(kMinimised);
}

SA& sa() {
    // Lives to the end of the process; unloading it only drops its window, its controls and the engine.
    static SA* window = new SA;
    return *window;
}

} // namespace player
