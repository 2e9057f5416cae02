#include "player/Acerca.h"

#include "controls/RegionFromBitmap.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/WindowBehaviour.h"
#include "player/WindowDesign.h"

#include <array>

namespace player {

namespace {

constexpr int kCentreOfScreen = 2;

// The design: places in twips, colours as 0x00BBGGRR.
struct LabelRow {
    Place at;
    const char16_t* text;
};
constexpr std::array<LabelRow, 5> kLabels{{
    {{585, 405, 2835, 195}, u"Diseñado y programado por: Belmor"},
    {{1260, 675, 1500, 195}, u"Oír proyectos"},
    {{1500, 900, 1035, 195}, u"Versión: 1.3"},
    {{255, 1125, 3510, 195}, u"Aplicación para reproducir audio en Vip's"},
    {{945, 1395, 2175, 195}, u"Para Samplitude/Sequoia"},
}};
constexpr std::int32_t kLabelColour = 0xF6F6ED;
const rt::FontSpec kLabelFont{QStringLiteral("MS Sans Serif"), 8.25, true};

constexpr Place kCmdSalirPlace{2880, 0, 285, 270};

const rt::String kCaption = QStringLiteral("Acerca de...");

} // namespace

AcercaDesign::AcercaDesign(rt::Form& window) : cmdSalir(window), Label2(window) {
    window.setPicture(rt::PictureObject::fromSkin(rt::skin::kAcerca));
    window.setBackColor(rt::skin::kWhiteKey);
    window.setStartUpPosition(kCentreOfScreen);

    placeCloseButton(cmdSalir, kCmdSalirPlace);

    for (int index = 0; index < Label2.size(); ++index) {
        const LabelRow& row = kLabels[static_cast<std::size_t>(index)];
        rt::Label& label = Label2(index);
        place(label, row.at);
        // The skin's own panel is the labels' background.
        label.setBackStyle(rt::Label::kTransparent);
        label.setForeColor(kLabelColour);
        label.setFont(kLabelFont);
        label.setCaption(QString::fromUtf16(row.text));
    }
}

Acerca::Acerca() : FormWithDesign(kCaption) {}

void Acerca::Form_Load() {
    d().cmdSalir.Click = [this] { cmdSalir_Click(); };
    sizeToSkin(*this);
    controls::ShapeForm(*this, rt::skin::kWhiteKey);
    makeTopmost(*this);
}

void Acerca::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    moveByBody(*this);
}

void Acerca::cmdSalir_Click() {
    Unload();
}

Acerca& acerca() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static Acerca* window = new Acerca;
    return *window;
}

} // namespace player
