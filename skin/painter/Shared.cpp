// The pictures every window shares: close and minimise sets, the read-out strip and the icons.
#include "../../platform/runtime/SkinCatalog.h"
#include "Glyphs.h"
#include "Skins.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace painter {

namespace sk = rt::skin;

namespace {

constexpr QSize kCornerButton{19, 18};
constexpr qreal kCornerRadius = 3;
constexpr QSize kStripSize{145, 21};

QImage cornerButton(Look look, bool closes) {
    QImage image(kCornerButton, QImage::Format_RGB32);
    image.fill(ink::kWell);
    QPainter p(&image);
    prepare(p);
    drawKeyCap(p, QRectF(QPointF(0, 0), QSizeF(kCornerButton)), kCornerRadius, look);
    const QPointF centre(kCornerButton.width() / 2.0, kCornerButton.height() / 2.0);
    glyph::draw(p, closes ? glyph::close(centre) : glyph::minimise(centre), look);
    return image;
}

QImage strip() {
    QImage image(kStripSize, QImage::Format_RGB32);
    image.fill(ink::kRim);
    QPainter p(&image);
    prepare(p);
    const QRectF glass(1, 2, kStripSize.width() - 2, kStripSize.height() - 3);
    QLinearGradient g(glass.topLeft(), glass.bottomLeft());
    g.setColorAt(0, ink::kGlassTop);
    g.setColorAt(1, ink::kGlassBottom);
    p.fillRect(glass, g);
    // The glass catches a little light in its upper half and along its lower lip.
    p.fillRect(QRectF(glass.left(), glass.top(), glass.width(), glass.height() * 0.45),
               QColor(150, 255, 190, 9));
    p.fillRect(QRectF(glass.left(), glass.top(), glass.width(), 1), QColor(0, 0, 0, 120));
    p.fillRect(QRectF(0, kStripSize.height() - 1, kStripSize.width(), 1), QColor(70, 74, 78));
    p.fillRect(QRectF(0, 0, kStripSize.width(), 1), QColor(8, 9, 10));
    return image;
}

QImage playerIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    prepare(p);
    const QRectF body(1, 1, 30, 30);
    p.setPen(Qt::NoPen);
    p.setBrush(ink::kRim);
    p.drawRoundedRect(body, 7, 7);
    QLinearGradient face(0, 2, 0, 30);
    face.setColorAt(0, QColor(92, 96, 102));
    face.setColorAt(1, QColor(40, 42, 46));
    p.setBrush(face);
    p.drawRoundedRect(body.adjusted(1.2, 1.2, -1.2, -1.2), 6, 6);
    // A burst of sound wave across the face, the program's mark.
    QPainterPath wave;
    for (int i = 0; i <= 44; ++i) {
        const qreal x = 5 + i * 0.5;
        const qreal t = (x - 16) / 11.0;
        const qreal y = 16 - std::cos(t * 1.57) * 8.5 * std::sin(x * 1.25);
        i == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 176, 56, 70), 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(ink::kAmber, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.drawLine(QPointF(8, 3.5), QPointF(24, 3.5));
    return image;
}

QImage infoFoundIcon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    prepare(p);
    const QPointF centre(16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(centre + QPointF(0, 0.8), 15, 15);
    p.setBrush(ink::kRim);
    p.drawEllipse(centre, 14.6, 14.6);
    QRadialGradient disc(centre + QPointF(-4, -5), 20);
    disc.setColorAt(0, QColor(120, 226, 150));
    disc.setColorAt(0.6, QColor(46, 150, 84));
    disc.setColorAt(1, QColor(22, 92, 50));
    p.setBrush(disc);
    p.drawEllipse(centre, 13.2, 13.2);
    p.setBrush(QColor(0, 40, 16, 110));
    p.drawRect(QRectF(14, 10, 4, 4).translated(0, 1));
    p.drawRect(QRectF(14, 15, 4, 10).translated(0, 1));
    p.setBrush(QColor(240, 246, 238));
    p.drawRect(QRectF(14, 8, 4, 4));
    p.drawRect(QRectF(14, 14, 4, 10));
    p.drawRect(QRectF(12, 14, 3, 2));
    p.drawRect(QRectF(12, 22, 8, 2));
    return image;
}

QImage infoMissingIcon() {
    QImage image(32, 31, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    prepare(p);
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30.5, 28.5);
    triangle.lineTo(1.5, 28.5);
    triangle.closeSubpath();
    p.setPen(QPen(ink::kRim, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient fill(0, 3, 0, 29);
    fill.setColorAt(0, QColor(255, 206, 96));
    fill.setColorAt(1, QColor(226, 130, 24));
    p.setBrush(fill);
    p.drawPath(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 22, 14));
    p.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.2, 1.2);
    p.drawEllipse(QPointF(16, 24.2), 1.9, 1.9);
    return image;
}

} // namespace

QPoint statePictureOffset(QSize control, QSize picture) {
    return QPoint(static_cast<int>(std::floor((control.width() - picture.width()) / 2.0)),
                  static_cast<int>(std::floor((control.height() - picture.height()) / 2.0)));
}

QImage buttonPicture(const QImage& skin, const QRect& control, QSize pictureSize, bool atCorner, Look look,
                     const FaceDrawer& face) {
    const QPoint origin =
        control.topLeft() + (atCorner ? QPoint(0, 0) : statePictureOffset(control.size(), pictureSize));
    QImage image = cropPadded(skin, QRect(origin, pictureSize), ink::kPanel);
    QPainter p(&image);
    prepare(p);
    p.translate(-origin);
    face(p, look);
    return image;
}

void drawButtonWell(QPainter& p, const QRect& buttons) {
    drawRecess(p, QRectF(buttons).adjusted(-2, -2, 2, 2), 3, ink::kWell);
}

Pictures paintSharedControls() {
    return {
        {sk::kCloseBack, cornerButton(Look::Idle, true)},
        {sk::kCloseOver, cornerButton(Look::Over, true)},
        {sk::kCloseDown, cornerButton(Look::Down, true)},
        {sk::kMinBack, cornerButton(Look::Idle, false)},
        {sk::kMinOver, cornerButton(Look::Over, false)},
        {sk::kMinDown, cornerButton(Look::Down, false)},
        {sk::kStrip, strip()},
        {sk::kPlayerIcon, playerIcon()},
        {sk::kInfoFound, infoFoundIcon()},
        {sk::kInfoMissing, infoMissingIcon()},
    };
}

} // namespace painter
