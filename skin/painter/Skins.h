#pragma once
// The pictures of each window and of the controls that sit on them.
#include "Kit.h"

#include <QString>
#include <functional>
#include <vector>

namespace painter {

struct Picture {
    QString file;
    QImage image;
};
using Pictures = std::vector<Picture>;

// Where a state picture lands in its control: centred, each offset rounded down (back pictures sit at the
// corner). Pictures larger than the control get negative offsets and are clipped.
QPoint statePictureOffset(QSize control, QSize picture);

// Draws a button face in window coordinates (cap and glyph) for one look.
using FaceDrawer = std::function<void(QPainter&, Look)>;

// A button picture: the window skin beneath it, with the face drawn on top, so it sits seamlessly on the
// skin. `atCorner` places the picture at the control's corner (back pictures) instead of centring it.
QImage buttonPicture(const QImage& skin, const QRect& control, QSize pictureSize, bool atCorner, Look look,
                     const FaceDrawer& face);

Pictures paintPlayer();
Pictures paintSa();
Pictures paintPlayList();
Pictures paintInfoFile();
Pictures paintAcerca();
// The close and minimise sets, the strip and the icons: shared by every window.
Pictures paintSharedControls();

// The well drawn under a close or minimise button on every window, so their plates sit in it.
void drawButtonWell(QPainter& p, const QRect& buttons);

} // namespace painter
