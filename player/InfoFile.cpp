#include "player/InfoFile.h"

#include "controls/RegionFromBitmap.h"
#include "platform/base/Errors.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/Player.h"
#include "player/WindowBehaviour.h"
#include "player/WindowDesign.h"
#include "playlist/PlayList.h"

namespace player {

namespace {

// The design: places in twips, colours as 0x00BBGGRR.
constexpr Place kTextInfoPlace{195, 900, 3555, 1770};
constexpr Place kCmdSalirPlace{3435, 600, 285, 270};
constexpr Place kFoundImagePlace{1680, 390, 480, 480};
constexpr Place kMissingImagePlace{1680, 390, 480, 465};
constexpr std::int32_t kTextColour = 0x000000;
constexpr int kFoundImage = 0;
constexpr int kMissingImage = 1;

const rt::String kCaption = QStringLiteral("Información");
const rt::String kDesignText = QStringLiteral("TextInfo");

} // namespace

InfoFileDesign::InfoFileDesign(rt::Form& window) : TextInfo(window), cmdSalir(window), ImageInfo(window) {
    window.setPicture(rt::PictureObject::fromSkin(rt::skin::kInfoFile));
    window.setBackColor(rt::skin::kBlueKey);
    window.setIcon(rt::PictureObject::fromSkin(rt::skin::kPlayerIcon));

    place(TextInfo, kTextInfoPlace);
    TextInfo.setBackColor(kInfoNormalBack);
    TextInfo.setForeColor(kTextColour);
    TextInfo.setText(kDesignText);
    // Nothing reads the text back: the user may scroll and select it, not change it.
    TextInfo.setLocked(true);

    placeCloseButton(cmdSalir, kCmdSalirPlace);

    place(ImageInfo(kFoundImage), kFoundImagePlace);
    ImageInfo(kFoundImage).setPicture(rt::PictureObject::fromSkin(rt::skin::kInfoFound));
    place(ImageInfo(kMissingImage), kMissingImagePlace);
    ImageInfo(kMissingImage).setPicture(rt::PictureObject::fromSkin(rt::skin::kInfoMissing));
    ImageInfo(kMissingImage).setVisible(false);
}

InfoFile::InfoFile() : FormWithDesign(kCaption) {}

void InfoFile::Form_Load() {
    d().cmdSalir.Click = [this] { cmdSalir_Click(); };
    sizeToSkin(*this);
    controls::ShapeForm(*this, rt::skin::kBlueKey);
    makeTopmost(*this);

    // Reading the playlist's visibility creates the playlist, hidden, when it does not exist yet.
    bool playListShown = false;
    rt::skipOnError([&] { playListShown = playlist::playList().Visible(); });
    if (!playListShown)
        return;
    rt::skipOnError([&] { setLeft(player().Left() + kDockInfoFile.left); });
    rt::skipOnError([&] { setTop(player().Top() + kDockInfoFile.top); });
    rt::skipOnError([&] { d().ImageInfo(kFoundImage).setVisible(true); });
    rt::skipOnError([&] { d().ImageInfo(kMissingImage).setVisible(false); });
}

void InfoFile::Form_DblClick() {
    bool playerShown = false;
    rt::skipOnError([&] { playerShown = player().Visible(); });
    if (!playerShown)
        return;
    rt::skipOnError([&] { setLeft(player().Left() + kDockInfoFile.left); });
    rt::skipOnError([&] { setTop(player().Top() + kDockInfoFile.top); });
}

void InfoFile::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    moveByBody(*this);
}

void InfoFile::cmdSalir_Click() {
    Unload();
}

InfoFile& infoFile() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static InfoFile* window = new InfoFile;
    return *window;
}

} // namespace player
