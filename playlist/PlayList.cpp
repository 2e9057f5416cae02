#include "playlist/PlayList.h"

#include "controls/RegionFromBitmap.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/WindowBehaviour.h"

namespace playlist {

PlayListDesign::PlayListDesign(rt::Form& window) {
    window.setPicture(rt::PictureObject::fromSkin(rt::skin::kPlayList));
    window.setBackColor(rt::skin::kBlueKey);
    window.setIcon(rt::PictureObject::fromSkin(rt::skin::kPlayerIcon));
}

PlayList::PlayList() : FormWithDesign("Play List") {}

void PlayList::Form_Load() {
    player::sizeToSkin(*this);
    controls::ShapeForm(*this, rt::skin::kBlueKey);
    player::makeTopmost(*this);
}

void PlayList::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    player::moveByBody(*this);
}

PlayList& playList() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static PlayList* window = new PlayList;
    return *window;
}

} // namespace playlist
