#pragma once
// Button glyphs as filled outlines centred on a point; edges that can lie on the pixel grid do.
#include "Kit.h"

namespace painter::glyph {

QPainterPath play(QPointF centre, qreal height);
QPainterPath pause(QPointF centre, qreal height);
QPainterPath stop(QPointF centre, int side);
QPainterPath eject(QPointF centre);
QPainterPath list(QPointF centre);
QPainterPath spectrum(QPointF centre);
QPainterPath close(QPointF centre);
QPainterPath minimise(QPointF centre);
QPainterPath about(QPointF centre);
QPainterPath text(const QRectF& box, const QString& text, int pixelSize, qreal letterSpacing);

// Fills a glyph in the ink of the look; a lit glyph glows, a pressed one sinks a pixel.
void draw(QPainter& p, const QPainterPath& glyph, Look look);

} // namespace painter::glyph
