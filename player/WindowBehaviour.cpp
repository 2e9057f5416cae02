#include "player/WindowBehaviour.h"

#include "platform/win/Windows.h"

namespace player {

void sizeToSkin(rt::Form& window) {
    const rt::Picture& skin = window.picture();
    window.setWidth(rt::hiMetricToTwips(skin->Width()));
    window.setHeight(rt::hiMetricToTwips(skin->Height()));
}

void makeTopmost(rt::Form& window) {
    using namespace rt::win;
    SetWindowPos(window.hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void moveByBody(rt::Form& window) {
    using namespace rt::win;
    ReleaseCapture();
    SendMessageA(window.hWnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

} // namespace player
