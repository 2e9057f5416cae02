// The companion windows' skins: spectrum, playlist, information and about.
#include "../../platform/runtime/SkinCatalog.h"
#include "Skins.h"

#include <QLinearGradient>
#include <cmath>

namespace painter {

namespace sk = rt::skin;

namespace {

constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kWhite = qRgb(255, 255, 255);

QImage brushedBody(QSize size, std::uint32_t seed) {
    QImage body(size, QImage::Format_RGB32);
    fillBrushed(body, ink::kPanel, seed);
    return body;
}

// An octagon: a rectangle with its corners cut by `cut` pixels.
QPainterPath chamfered(const QRectF& r, qreal cut) {
    QPainterPath path;
    path.moveTo(r.left() + cut, r.top());
    path.lineTo(r.right() - cut, r.top());
    path.lineTo(r.right(), r.top() + cut);
    path.lineTo(r.right(), r.bottom() - cut);
    path.lineTo(r.right() - cut, r.bottom());
    path.lineTo(r.left() + cut, r.bottom());
    path.lineTo(r.left(), r.bottom() - cut);
    path.lineTo(r.left(), r.top() + cut);
    path.closeSubpath();
    return path;
}

// A trapezoid raised above a straight top edge, for a tab that carries a button or a badge.
QPainterPath tab(qreal left, qreal right, qreal baseY, qreal topY, qreal slope) {
    QPainterPath path;
    path.moveTo(left - slope, baseY + 2);
    path.lineTo(left, topY);
    path.lineTo(right, topY);
    path.lineTo(right + slope, baseY + 2);
    path.closeSubpath();
    return path;
}

void drawGraticule(QPainter& p, const QRectF& screen) {
    p.save();
    p.setPen(QPen(QColor(60, 160, 100, 26), 1));
    constexpr int kColumns = 10, kRows = 10;
    for (int i = 1; i < kColumns; ++i) {
        const qreal x = std::round(screen.left() + screen.width() * i / kColumns) + 0.5;
        p.drawLine(QPointF(x, screen.top() + 2), QPointF(x, screen.bottom() - 2));
    }
    for (int i = 1; i < kRows; ++i) {
        const qreal y = std::round(screen.top() + screen.height() * i / kRows) + 0.5;
        p.drawLine(QPointF(screen.left() + 2, y), QPointF(screen.right() - 2, y));
    }
    p.restore();
}

void drawWave(QPainter& p, const QRectF& box, QColor color) {
    QPainterPath wave;
    const int steps = static_cast<int>(box.width() * 2);
    for (int i = 0; i <= steps; ++i) {
        const qreal x = box.left() + i * 0.5;
        const qreal t = (x - box.center().x()) / (box.width() / 2);
        const qreal envelope = std::exp(-t * t * 2.8);
        const qreal y = box.center().y() - envelope * (box.height() / 2) * std::sin(i * 0.5 * 0.42);
        i == 0 ? wave.moveTo(x, y) : wave.lineTo(x, y);
    }
    p.save();
    p.setBrush(Qt::NoBrush);
    QColor glow = color;
    glow.setAlpha(60);
    p.setPen(QPen(glow, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(color, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.restore();
}

// --- SA: the spectrum window -------------------------------------------------------------------------

namespace sa {
const QRect kTimeStrip = toPixels({4500, 90, 840, 345});
const QRect kMinimise = toPixels({240, 720, 285, 270});
const QRect kClose = toPixels({240, 405, 285, 270});
const QRect kLevelBar = toPixels({5355, 750, 60, 4050});
const QRect kEngine = toPixels({600, 495, 4665, 4545});
const QRect kTitle = toPixels({2415, 165, 1035, 195});
} // namespace sa

QImage saSkin() {
    const QSize size(383, 377);
    QImage body = brushedBody(size, 0x5A5A0017u);
    QPainterPath shape = chamfered(QRectF(1.5, 1.5, 380, 374), 14);
    // A shallow notch in the lower edge, under the screen.
    QPainterPath notch;
    notch.moveTo(150, 377);
    notch.lineTo(161, 368.5);
    notch.lineTo(222, 368.5);
    notch.lineTo(233, 377);
    notch.closeSubpath();
    shape = shape.subtracted(notch);
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        // One dark glass holds the spectrum and, right of a divider, the level bar.
        const QRectF glass = QRectF(sa::kEngine).adjusted(-2.5, -2, 16, 4);
        drawRecess(p, glass, 6, QColor(10, 13, 12));
        drawGraticule(p, QRectF(sa::kEngine));
        p.fillRect(QRectF(sa::kEngine.right() + 1.5, glass.top() + 3, 1, glass.height() - 6),
                   QColor(44, 48, 50));
        const QRectF well = QRectF(sa::kLevelBar).adjusted(-2, -2, 2, 2);
        p.fillRect(well, QColor(4, 6, 5));
        for (int i = 0; i <= 10; ++i) {
            const qreal y = sa::kLevelBar.bottom() + 1 - i * sa::kLevelBar.height() / 10.0;
            p.fillRect(QRectF(well.right() + 1, std::round(y) - 1, i % 5 == 0 ? 3 : 2, 1),
                       QColor(96, 150, 110));
        }
        drawRecess(p, QRectF(sa::kTimeStrip).adjusted(-3, -3, 3, 1), 3);
        drawLegend(p, QPointF(258, 21), QStringLiteral("TIEMPO"), 7);
        // A light nameplate: the window's title label prints dark text on it.
        const QRectF plate = QRectF(sa::kTitle).adjusted(-9, -4, 9, 4);
        drawRaised(p, plate, 3, QColor(190, 192, 187), QColor(150, 153, 149));
        // The buttons stand close to the glass: a narrower well on that side.
        drawRecess(p, QRectF(sa::kClose.united(sa::kMinimise)).adjusted(-2, -2, 1.5, 2), 3, ink::kWell);
        drawLegend(p, QPointF(44, 358), QStringLiteral("ONDARA"), 10, ink::kBrand, true, 2.0);
        p.fillRect(QRectF(44, 361, 4, 1), ink::kAmber);
        drawLegend(p, QPointF(252, 358), QStringLiteral("ANALIZADOR"), 7);
        drawScrew(p, QPointF(16, 16), 30);
        drawScrew(p, QPointF(367, 16), 75);
        drawScrew(p, QPointF(16, 361), 10);
        drawScrew(p, QPointF(367, 361), 55);
    }
    return finishWindow(body, shape, kWhite);
}

// --- PlayList -----------------------------------------------------------------------------------------

namespace playlist {
const QRect kCheckToolTips = toPixels({900, 4320, 2400, 195});
const QRect kListFiles = toPixels({495, 1620, 3210, 2595});
const QRect kMinimise = toPixels({720, 720, 285, 270});
const QRect kClose = toPixels({1035, 720, 285, 270});
const QRect kCounts = toPixels({540, 1200, 3165, 390}); // where the two count labels print
const QRect kImage = toPixels({1395, 4635, 480, 480});
const QRect kLabel1 = toPixels({1980, 4725, 855, 285});
const QColor kCheckBack(107, 103, 82); // the check box's own back colour
} // namespace playlist

QImage playListSkin() {
    const QSize size(280, 360);
    QImage body = brushedBody(size, 0x91A71157u);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1.5, 1.5, 277, 357), 14, 14);
    // A waist on either side, where a hand would hold the panel.
    for (const qreal side : {0.0, 280.0}) {
        const qreal dir = side == 0 ? 1 : -1;
        QPainterPath waist;
        waist.moveTo(side - dir, 150);
        waist.lineTo(side + dir * 7.5, 162);
        waist.lineTo(side + dir * 7.5, 228);
        waist.lineTo(side - dir, 240);
        waist.closeSubpath();
        shape = shape.subtracted(waist);
    }
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        drawLegend(p, QPointF(18, 30), QStringLiteral("ONDARA"), 11, ink::kBrand, true, 2.2);
        p.fillRect(QRectF(18, 33, 4, 1), ink::kAmber);
        drawLegend(p, QPointF(182, 30), QStringLiteral("LISTA VIP"), 8, ink::kLegend, true, 1.2);
        drawButtonWell(p, playlist::kMinimise.united(playlist::kClose));
        // One frame holds the light card the counts print on and the list below it.
        const QRectF frame = QRectF(playlist::kListFiles).adjusted(-4, -36, 4, 4);
        drawRecess(p, frame, 5);
        const QRectF card(frame.left() + 3, playlist::kCounts.top() - 5, frame.width() - 6,
                          playlist::kCounts.height() + 6);
        drawRaised(p, card, 2, QColor(192, 194, 189), QColor(160, 163, 158));
        const QRectF checkStrip = QRectF(playlist::kCheckToolTips).adjusted(-4, -3, 4, 3);
        drawRecess(p, checkStrip, 3, playlist::kCheckBack);
        const QRectF footer =
            QRectF(playlist::kImage).united(QRectF(playlist::kLabel1)).adjusted(-6, -4, 14, 4);
        drawRecess(p, footer, 6, QColor(30, 32, 35));
        drawScrew(p, QPointF(16, 346), 20);
        drawScrew(p, QPointF(264, 346), 65);
        drawScrew(p, QPointF(264, 50), 40);
    }
    return finishWindow(body, shape, kBlue);
}

// --- InfoFile ------------------------------------------------------------------------------------------

namespace infofile {
const QRect kTextInfo = toPixels({195, 900, 3555, 1770});
const QRect kClose = toPixels({3435, 600, 285, 270});
const QRect kImage = toPixels({1680, 390, 480, 480});
} // namespace infofile

QImage infoFileSkin() {
    const QSize size(263, 193);
    QImage body = brushedBody(size, 0x1F0F11E5u);
    QPainterPath shape = chamfered(QRectF(1.5, 14.5, 260, 177), 10);
    shape = shape.united(tab(98, 158, 14.5, 1.5, 12));
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        drawRecess(p, QRectF(infofile::kTextInfo).adjusted(-4, -4, 4, 4), 5);
        const QPointF iconCentre = QRectF(infofile::kImage).center();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 130));
        p.drawEllipse(iconCentre + QPointF(0, 1), 20.5, 20.5);
        p.setBrush(QColor(24, 25, 28));
        p.drawEllipse(iconCentre, 19.5, 19.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawArc(QRectF(iconCentre - QPointF(19.5, 19.5), QSizeF(39, 39)), 200 * 16, 140 * 16);
        drawLegend(p, QPointF(14, 38), QStringLiteral("INFORMACIÓN"), 8, ink::kLegend, true, 0.9);
        p.fillRect(QRectF(14, 42, 4, 1), ink::kAmber);
        drawButtonWell(p, infofile::kClose);
        drawScrew(p, QPointF(12, 182), 30);
        drawScrew(p, QPointF(251, 182), 80);
        drawScrew(p, QPointF(204, 30), 10);
    }
    return finishWindow(body, shape, kBlue);
}

// --- Acerca: the about window --------------------------------------------------------------------------

namespace acerca {
const QRect kClose = toPixels({2880, 0, 285, 270});
const QRect kTexts = toPixels({255, 405, 3510, 1185}); // the five labels' extent
} // namespace acerca

QImage acercaSkin() {
    const QSize size(267, 150);
    QImage body = brushedBody(size, 0xACE2CA00u);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1.5, 8.5, 264, 140), 10, 10);
    shape = shape.united(tab(acerca::kClose.left() - 5, acerca::kClose.right() + 6, 8.5, -1, 9));
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        // The labels print near-white text: they sit on a dark glass panel.
        drawRecess(p, QRectF(acerca::kTexts).adjusted(-6, -8, 6, 6), 6, QColor(22, 24, 27));
        drawButtonWell(p, acerca::kClose.adjusted(0, 2, 0, 0));
        drawWave(p, QRectF(104, 118, 150, 18), ink::kAmber);
        drawLegend(p, QPointF(22, 133), QStringLiteral("ONDARA"), 11, ink::kBrand, true, 2.2);
        drawScrew(p, QPointF(12, 19), 20);
        drawScrew(p, QPointF(12, 137), 60);
        drawScrew(p, QPointF(255, 137), 15);
        drawScrew(p, QPointF(255, 19), 45);
    }
    return finishWindow(body, shape, kWhite);
}

} // namespace

Pictures paintSa() {
    return {{sk::kSa, saSkin()}};
}
Pictures paintPlayList() {
    return {{sk::kPlayList, playListSkin()}};
}
Pictures paintInfoFile() {
    return {{sk::kInfoFile, infoFileSkin()}};
}
Pictures paintAcerca() {
    return {{sk::kAcerca, acercaSkin()}};
}

} // namespace painter
