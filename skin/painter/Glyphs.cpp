#include "Glyphs.h"

#include <QPainterPathStroker>
#include <cmath>

namespace painter::glyph {

namespace {

qreal snap(qreal v) {
    return std::round(v);
}

QPainterPath stroked(const QPainterPath& line, qreal width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::MiterJoin);
    return stroker.createStroke(line).simplified();
}

} // namespace

QPainterPath play(QPointF centre, qreal height) {
    const qreal width = std::round(height * 0.88);
    // The triangle's visual weight sits left of its box: nudge it right so it reads centred.
    const qreal left = snap(centre.x() - width / 2 + width * 0.12);
    const qreal top = snap(centre.y() - height / 2);
    QPainterPath path;
    path.moveTo(left, top);
    path.lineTo(left + width, top + height / 2);
    path.lineTo(left, top + height);
    path.closeSubpath();
    return path;
}

QPainterPath pause(QPointF centre, qreal height) {
    const qreal bar = std::round(height * 0.3);
    const qreal gap = std::round(height * 0.26);
    const qreal left = snap(centre.x() - (2 * bar + gap) / 2);
    const qreal top = snap(centre.y() - height / 2);
    QPainterPath path;
    path.addRect(left, top, bar, height);
    path.addRect(left + bar + gap, top, bar, height);
    return path;
}

QPainterPath stop(QPointF centre, int side) {
    QPainterPath path;
    path.addRect(snap(centre.x() - side / 2.0), snap(centre.y() - side / 2.0), side, side);
    return path;
}

QPainterPath eject(QPointF centre) {
    constexpr qreal kWidth = 11, kArrow = 6, kGap = 2, kBar = 2;
    const qreal left = snap(centre.x() - kWidth / 2);
    const qreal top = snap(centre.y() - (kArrow + kGap + kBar) / 2);
    QPainterPath path;
    path.moveTo(left, top + kArrow);
    path.lineTo(left + kWidth / 2, top);
    path.lineTo(left + kWidth, top + kArrow);
    path.closeSubpath();
    path.addRect(left, top + kArrow + kGap, kWidth, kBar);
    return path;
}

QPainterPath list(QPointF centre) {
    constexpr qreal kWidth = 12, kRowStep = 4, kRows = 3, kThick = 2;
    const qreal left = snap(centre.x() - kWidth / 2);
    const qreal top = snap(centre.y() - (kRowStep * (kRows - 1) + kThick) / 2);
    QPainterPath path;
    for (int row = 0; row < kRows; ++row) {
        const qreal y = top + row * kRowStep;
        path.addRect(left, y, kThick, kThick);
        path.addRect(left + 4, y, kWidth - 4, kThick);
    }
    return path;
}

QPainterPath spectrum(QPointF centre) {
    constexpr int kHeights[] = {6, 10, 13, 9, 5};
    constexpr qreal kBar = 2, kGap = 1, kTallest = 13;
    const qreal width = 5 * kBar + 4 * kGap;
    const qreal left = snap(centre.x() - width / 2);
    const qreal bottom = snap(centre.y() + kTallest / 2);
    QPainterPath path;
    for (int i = 0; i < 5; ++i)
        path.addRect(left + i * (kBar + kGap), bottom - kHeights[i], kBar, kHeights[i]);
    return path;
}

QPainterPath close(QPointF centre) {
    constexpr qreal kArm = 3.2;
    QPainterPath lines;
    lines.moveTo(centre + QPointF(-kArm, -kArm));
    lines.lineTo(centre + QPointF(kArm, kArm));
    lines.moveTo(centre + QPointF(kArm, -kArm));
    lines.lineTo(centre + QPointF(-kArm, kArm));
    return stroked(lines, 1.9, Qt::FlatCap);
}

QPainterPath minimise(QPointF centre) {
    QPainterPath path;
    path.addRect(snap(centre.x() - 3.5), snap(centre.y() + 1), 7, 2);
    return path;
}

QPainterPath about(QPointF centre) {
    constexpr qreal kRing = 6.5;
    QPainterPath ring;
    ring.addEllipse(centre, kRing, kRing);
    QPainterPath path = stroked(ring, 1.3);
    const qreal stemLeft = snap(centre.x() - 1);
    path.addRect(stemLeft, snap(centre.y() - 4), 2, 2);
    path.addRect(stemLeft, snap(centre.y() - 1), 2, 5);
    return path;
}

QPainterPath text(const QRectF& box, const QString& text, int pixelSize, qreal letterSpacing) {
    QPainterPath path;
    const QFont font = uiFont(pixelSize, true, letterSpacing);
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    // Whole-pixel offsets keep the vertical stems of the letters crisp.
    const QPointF offset(snap(box.center().x() - bounds.center().x()),
                         snap(box.center().y() - bounds.center().y()));
    return path.translated(offset);
}

void draw(QPainter& p, const QPainterPath& glyph, Look look) {
    p.save();
    p.setPen(Qt::NoPen);
    switch (look) {
    case Look::Idle:
        p.setBrush(QColor(0, 0, 0, 130));
        p.drawPath(glyph.translated(0, 1));
        break;
    case Look::Over:
        drawGlow(p, glyph, ink::kAmber);
        break;
    case Look::Down:
        p.translate(0, 1);
        break;
    }
    p.setBrush(glyphInk(look));
    p.drawPath(glyph);
    p.restore();
}

} // namespace painter::glyph
