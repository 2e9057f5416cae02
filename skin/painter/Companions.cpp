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

// The lower edge rests on the main window's top edge and rises over its tab; below the glass only a narrow
// band is left, so the name plate and the brand share the top band.
QPainterPath saOutline() {
    return cornered({
        {{1, 1}, 14},
        {{382, 1}, 14},
        {{382, 348}, 10},
        {{206, 348}, 1},
        {{199, 341}, 2},
        {{137, 341}, 2},
        {{130, 348}, 1},
        {{1, 348}, 10},
    });
}

// A legend written upward along a vertical line, centred on it.
void drawLegendUpward(QPainter& p, QPointF centre, const QString& text, int pixelSize, qreal letterSpacing) {
    p.save();
    p.translate(centre);
    p.rotate(-90);
    drawLegendCentred(p, QRectF(-60, -6, 120, 12), text, pixelSize, ink::kLegend, true, letterSpacing);
    p.restore();
}

QImage saSkin() {
    const QSize size(383, 377);
    QImage body = brushedBody(size, 0x5A5A0017u);
    const QPainterPath shape = saOutline();
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        // One dark glass holds the spectrum and, right of a divider, the level bar.
        const QRectF glass = QRectF(sa::kEngine).adjusted(-2.5, -2, 16, 2);
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
        drawLegend(p, QPointF(46, 24), QStringLiteral("ONDARA"), 10, ink::kBrand, true, 2.0);
        p.fillRect(QRectF(46, 27, 4, 1), ink::kAmber);
        drawLegendUpward(p, QPointF(26, 200), QStringLiteral("ANALIZADOR"), 7, 1.4);
        drawScrew(p, QPointF(16, 16), 30);
        drawScrew(p, QPointF(367, 16), 75);
        drawScrew(p, QPointF(21, 334), 10);
        drawScrew(p, QPointF(374, 334), 55);
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

// Docked, the panel's upper right lies under the main window: the buttons stand on a tab that reaches into
// the main window's step, the counts on a shelf under its lower left, and the list's frame starts below its
// lower edge. Beside the information window the right edge draws in, and steps out again below it.
QPainterPath playListOutline() {
    return cornered({
        {{1, 1}, 12, true},
        {{66, 1}, 4},
        {{66, 20}, 1},
        {{91, 20}, 4},
        {{91, 43}, 2},
        {{108, 60}, 2},
        {{108, 78}, 1},
        {{219, 78}, 3},
        {{219, 93}, 1},
        {{270, 93}, 8, true},
        {{270, 252}, 2},
        {{278, 260}, 2},
        {{278, 359}, 12, true},
        {{1, 359}, 12, true},
    });
}

// The frame around the counts and the list, drawn in along the window's steps.
QPainterPath playListFrame() {
    return cornered({
        {{29, 81}, 4, true},
        {{215, 81}, 3, true},
        {{215, 97}, 2},
        {{251, 97}, 4, true},
        {{251, 285}, 4, true},
        {{29, 285}, 4, true},
    });
}

QImage playListSkin() {
    const QSize size(280, 360);
    QImage body = brushedBody(size, 0x91A71157u);
    const QPainterPath shape = playListOutline();
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        drawLegend(p, QPointF(12, 15), QStringLiteral("LISTA VIP"), 7, ink::kLegend, true, 0.8);
        drawButtonWell(p, playlist::kMinimise.united(playlist::kClose));
        drawScrew(p, QPointF(14, 33), 30);
        // One frame holds the light card the counts print on and the list below it.
        drawRecess(p, playListFrame());
        const QRectF card(32, 80, 180, playlist::kCounts.height() + 2);
        drawRaised(p, card, 2, QColor(192, 194, 189), QColor(160, 163, 158));
        const QRectF checkStrip = QRectF(playlist::kCheckToolTips).adjusted(-4, -3, 4, 3);
        drawRecess(p, checkStrip, 3, playlist::kCheckBack);
        const QRectF footer =
            QRectF(playlist::kImage).united(QRectF(playlist::kLabel1)).adjusted(-6, -4, 14, 4);
        drawRecess(p, footer, 6, QColor(30, 32, 35));
        drawLegend(p, QPointF(14, 331), QStringLiteral("ONDARA"), 10, ink::kBrand, true, 1.6);
        p.fillRect(QRectF(14, 334, 4, 1), ink::kAmber);
        drawScrew(p, QPointF(16, 347), 20);
        drawScrew(p, QPointF(264, 347), 65);
        drawScrew(p, QPointF(261, 108), 40);
    }
    return finishWindow(body, shape, kBlue);
}

// --- InfoFile ------------------------------------------------------------------------------------------

namespace infofile {
const QRect kTextInfo = toPixels({195, 900, 3555, 1770});
const QRect kClose = toPixels({3435, 600, 285, 270});
const QRect kImage = toPixels({1680, 390, 480, 480});
} // namespace infofile

// Docked, the upper left lies under the main window's keys: the panel rises only right of them, into the
// notch of the main window's lower right, where the found-or-missing picture sits.
QPainterPath infoFileOutline() {
    return cornered({
        {{107, 1}, 8},
        {{262, 1}, 8},
        {{262, 192}, 10},
        {{1, 192}, 10},
        {{1, 36}, 8},
        {{107, 36}, 1},
    });
}

QImage infoFileSkin() {
    const QSize size(263, 193);
    QImage body = brushedBody(size, 0x1F0F11E5u);
    const QPainterPath shape = infoFileOutline();
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        drawRecess(p, QRectF(infofile::kTextInfo).adjusted(-4, -4, 4, 4), 5);
        const QPointF iconCentre = QRectF(infofile::kImage).center();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 130));
        p.drawEllipse(iconCentre + QPointF(0, 1), 18, 18);
        p.setBrush(QColor(24, 25, 28));
        p.drawEllipse(iconCentre, 17, 17);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawArc(QRectF(iconCentre - QPointF(17, 17), QSizeF(34, 34)), 200 * 16, 140 * 16);
        drawLegend(p, QPointF(14, 50), QStringLiteral("INFORMACIÓN"), 8, ink::kLegend, true, 0.9);
        p.fillRect(QRectF(14, 53, 4, 1), ink::kAmber);
        drawButtonWell(p, infofile::kClose);
        drawScrew(p, QPointF(12, 182), 30);
        drawScrew(p, QPointF(251, 182), 80);
        drawScrew(p, QPointF(250, 14), 10);
        drawScrew(p, QPointF(121, 14), 60);
    }
    return finishWindow(body, shape, kBlue);
}

// --- Acerca: the about window --------------------------------------------------------------------------

namespace acerca {
const QRect kClose = toPixels({2880, 0, 285, 270});
const QRect kTexts = toPixels({255, 405, 3510, 1185}); // the five labels' extent
} // namespace acerca

// Shown at its place, the right edge steps back where the main window's left side steps out, with the close
// button on a tab in the top corner.
QPainterPath acercaOutline() {
    return cornered({
        {{1, 8}, 10, true},
        {{184, 8}, 1},
        {{188, 0}, 1},
        {{213, 0}, 1},
        {{213, 22}},
        {{235, 22}, 3},
        {{235, 45}, 1},
        {{254, 64}, 1},
        {{254, 80}},
        {{265, 80}, 4},
        {{265, 148}, 10, true},
        {{1, 148}, 10, true},
    });
}

// The dark glass behind the labels, drawn in along the steps of the right edge.
QPainterPath acercaGlass() {
    return cornered({
        {{9, 24}, 6, true},
        {{231, 24}, 3, true},
        {{231, 46}, 1},
        {{250, 65}, 1},
        {{250, 110}, 6, true},
        {{9, 110}, 6, true},
    });
}

QImage acercaSkin() {
    const QSize size(267, 150);
    QImage body = brushedBody(size, 0xACE2CA00u);
    const QPainterPath shape = acercaOutline();
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        // The labels print near-white text: they sit on a dark glass panel.
        drawRecess(p, acercaGlass(), QColor(22, 24, 27));
        drawRecess(p, QRectF(acerca::kClose).adjusted(-2, 1, 1, 2), 3, ink::kWell);
        drawWave(p, QRectF(104, 118, 150, 18), ink::kAmber);
        drawLegend(p, QPointF(22, 133), QStringLiteral("ONDARA"), 11, ink::kBrand, true, 2.2);
        drawScrew(p, QPointF(12, 17), 20);
        drawScrew(p, QPointF(12, 137), 60);
        drawScrew(p, QPointF(255, 137), 15);
        drawScrew(p, QPointF(259, 92), 45);
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
