#include "player/WindowDesign.h"

#include "controls/StoredBags.h"

namespace player {

namespace {

const rt::String kCloseTip = QStringLiteral("Cerrar la aplicación");
const rt::String kMinimiseTip = QStringLiteral("Minimizar a barra de tareas");

} // namespace

void place(rt::Control& control, const Place& at) {
    control.Move(at.left, at.top, at.width, at.height);
}

void placeButton(controls::Button& button, const Place& at, const rt::PropertyBag& bag,
                 const rt::String& tip) {
    button.loadDesign(at.left, at.top, at.width, at.height, bag);
    if (!tip.isEmpty())
        button.setToolTipText(tip);
}

void placeCloseButton(controls::Button& button, const Place& at) {
    placeButton(button, at, controls::closeButtonBag(), kCloseTip);
}

void placeMinimiseButton(controls::Button& button, const Place& at) {
    placeButton(button, at, controls::minimiseButtonBag(), kMinimiseTip);
}

} // namespace player
