#include "Kit.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace painter {

namespace {

// Coverage at or above half a pixel counts as inside the outline.
constexpr int kInsideAlpha = 128;
// Horizontal smoothing of the brushed streaks, in pixels.
constexpr int kStreakLength = 23;

int clampByte(double v) {
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

QColor shade(QColor c, int delta) {
    return QColor(clampByte(c.red() + delta), clampByte(c.green() + delta), clampByte(c.blue() + delta));
}

} // namespace

QRect toPixels(const Twips& place) {
    auto px = [](int twips) { return static_cast<int>(std::lround(twips / double(kTwipsPerPixel))); };
    return QRect(px(place.left), px(place.top), px(place.width), px(place.height));
}

std::uint32_t Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

double Noise::unit() {
    return (next() % 20001) / 10000.0 - 1.0;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QFont uiFont(int pixelSize, bool bold, qreal letterSpacing) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (letterSpacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

void fillBrushed(QImage& image, QColor base, std::uint32_t seed, int streakRange) {
    Noise noise(seed);
    const int w = image.width();
    std::vector<double> raw(w), smooth(w);
    for (int y = 0; y < image.height(); ++y) {
        const double rowTone = noise.unit() * 1.6;
        for (double& v : raw)
            v = noise.unit();
        // A running mean along the row turns white noise into long brushed streaks.
        for (int x = 0; x < w; ++x) {
            double sum = 0;
            for (int k = -kStreakLength / 2; k <= kStreakLength / 2; ++k)
                sum += raw[(x + k + w) % w];
            smooth[x] = sum / kStreakLength;
        }
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        // A faint top-to-bottom falloff, as under a light above the desk.
        const double falloff = 6.0 * (0.5 - double(y) / image.height());
        for (int x = 0; x < w; ++x) {
            const double d = smooth[x] * streakRange * 3.0 + rowTone + raw[x] * 0.8 + falloff;
            line[x] = qRgb(clampByte(base.red() + d), clampByte(base.green() + d),
                           clampByte(base.blue() + d * 1.1));
        }
    }
}

QPainterPath cornered(const std::vector<Corner>& corners) {
    QPainterPath path;
    const size_t n = corners.size();
    for (size_t i = 0; i < n; ++i) {
        const Corner& c = corners[i];
        const QPointF before = corners[(i + n - 1) % n].at;
        const QPointF after = corners[(i + 1) % n].at;
        auto toward = [&](QPointF other) {
            const QPointF d = other - c.at;
            const qreal length = std::hypot(d.x(), d.y());
            return length > 0 ? c.at + d * (std::min(c.cut, length / 2) / length) : c.at;
        };
        const QPointF in = toward(before), out = toward(after);
        i == 0 ? path.moveTo(in) : path.lineTo(in);
        if (c.round)
            path.quadTo(c.at, out);
        else
            path.lineTo(out);
    }
    path.closeSubpath();
    return path;
}

void drawChassisEdges(QPainter& p, const QPainterPath& shape) {
    p.save();
    p.setClipPath(shape);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink::kRim, 3));
    p.drawPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 46), 1));
    p.drawPath(shape.translated(0.6, 1.6));
    p.restore();
}

void drawRecess(QPainter& p, const QRectF& area, qreal radius, QColor fill) {
    p.save();
    p.setPen(Qt::NoPen);
    // Light lip below and right: the panel edge catching the light.
    p.setBrush(QColor(255, 255, 255, 34));
    p.drawRoundedRect(area.adjusted(0, 0, 0.8, 1.0), radius, radius);
    // Shadowed edge above and left.
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(area.adjusted(-0.8, -1.0, 0, 0), radius, radius);
    p.setBrush(fill);
    p.drawRoundedRect(area, radius, radius);
    // Inner shadow under the top edge.
    QLinearGradient inner(area.topLeft(),
                          QPointF(area.left(), area.top() + std::min<qreal>(6, area.height() / 2)));
    inner.setColorAt(0, QColor(0, 0, 0, 110));
    inner.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(inner);
    p.drawRoundedRect(area, radius, radius);
    p.restore();
}

void drawRecess(QPainter& p, const QPainterPath& area, QColor fill) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 34));
    p.drawPath(area.translated(0.8, 1.0));
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawPath(area.translated(-0.8, -1.0));
    p.setBrush(fill);
    p.drawPath(area);
    // Inner shadow under every upper edge: the area less itself moved down, faded.
    p.setClipPath(area);
    for (int i = 1; i <= 5; ++i) {
        p.setBrush(QColor(0, 0, 0, 26));
        p.drawPath(area.subtracted(area.translated(0, i)));
    }
    p.restore();
}

void drawRaised(QPainter& p, const QRectF& area, qreal radius, QColor top, QColor bottom) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawRoundedRect(area.adjusted(-0.5, -0.5, 0.8, 1.2), radius, radius);
    QLinearGradient face(area.topLeft(), area.bottomLeft());
    face.setColorAt(0, top);
    face.setColorAt(1, bottom);
    p.setBrush(face);
    p.drawRoundedRect(area, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(area.left() + radius, area.top() + 0.5),
               QPointF(area.right() - radius, area.top() + 0.5));
    p.restore();
}

void drawScrew(QPainter& p, QPointF centre, qreal angleDegrees) {
    constexpr qreal kHeadRadius = 3.4;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 140));
    p.drawEllipse(centre + QPointF(0.3, 0.5), kHeadRadius + 0.9, kHeadRadius + 0.9);
    QRadialGradient head(centre + QPointF(-1.2, -1.4), kHeadRadius * 2.2);
    head.setColorAt(0, QColor(176, 180, 184));
    head.setColorAt(0.55, QColor(112, 116, 122));
    head.setColorAt(1, QColor(52, 54, 58));
    p.setBrush(head);
    p.drawEllipse(centre, kHeadRadius, kHeadRadius);
    p.translate(centre);
    p.rotate(angleDegrees);
    p.setPen(QPen(QColor(30, 31, 34), 1.1, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(-2.3, 0), QPointF(2.3, 0));
    p.drawLine(QPointF(0, -2.3), QPointF(0, 2.3));
    p.restore();
}

void drawLegend(QPainter& p, QPointF baselineStart, const QString& text, int pixelSize, QColor color,
                bool bold, qreal letterSpacing) {
    p.save();
    p.setFont(uiFont(pixelSize, bold, letterSpacing));
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(baselineStart + QPointF(0, 1), text);
    p.setPen(color);
    p.drawText(baselineStart, text);
    p.restore();
}

void drawLegendCentred(QPainter& p, const QRectF& box, const QString& text, int pixelSize, QColor color,
                       bool bold, qreal letterSpacing) {
    p.save();
    p.setFont(uiFont(pixelSize, bold, letterSpacing));
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(box.translated(0, 1), Qt::AlignCenter, text);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

QColor glyphInk(Look look) {
    switch (look) {
    case Look::Over:
        return ink::kAmber;
    case Look::Down:
        return QColor(196, 198, 192);
    case Look::Idle:
        break;
    }
    return ink::kGlyph;
}

void drawKeyCap(QPainter& p, const QRectF& area, qreal radius, Look look) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink::kRim);
    p.drawRoundedRect(area, radius, radius);
    const QRectF face = area.adjusted(1, 1, -1, -1);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    switch (look) {
    case Look::Idle:
        g.setColorAt(0, QColor(98, 102, 108));
        g.setColorAt(0.5, QColor(72, 75, 80));
        g.setColorAt(1, QColor(54, 56, 60));
        break;
    case Look::Over:
        g.setColorAt(0, QColor(110, 112, 116));
        g.setColorAt(0.5, QColor(82, 83, 86));
        g.setColorAt(1, QColor(62, 61, 60));
        break;
    case Look::Down:
        g.setColorAt(0, QColor(36, 37, 40));
        g.setColorAt(0.5, QColor(48, 50, 54));
        g.setColorAt(1, QColor(58, 60, 64));
        break;
    }
    p.setBrush(g);
    p.drawRoundedRect(face, std::max<qreal>(0, radius - 1), std::max<qreal>(0, radius - 1));
    p.setBrush(Qt::NoBrush);
    if (look == Look::Down) {
        // A pressed cap sits in its own shadow.
        p.setPen(QPen(QColor(0, 0, 0, 120), 1));
        p.drawLine(QPointF(face.left() + 1, face.top() + 0.5), QPointF(face.right() - 1, face.top() + 0.5));
    } else {
        p.setPen(QPen(QColor(255, 255, 255, look == Look::Over ? 90 : 64), 1));
        p.drawLine(QPointF(face.left() + radius * 0.6, face.top() + 0.5),
                   QPointF(face.right() - radius * 0.6, face.top() + 0.5));
        if (look == Look::Over) {
            // An amber underline lamp marks the lit key.
            p.setPen(QPen(QColor(255, 176, 56, 150), 1));
            p.drawLine(QPointF(face.left() + 2, face.bottom() - 0.5),
                       QPointF(face.right() - 2, face.bottom() - 0.5));
        }
    }
    p.restore();
}

void drawRoundCap(QPainter& p, QPointF centre, qreal bezelRadius, qreal capRadius, Look look) {
    p.save();
    p.setPen(Qt::NoPen);
    // Bezel: a dark ring machined into the panel.
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawEllipse(centre + QPointF(0, 0.8), bezelRadius + 0.6, bezelRadius + 0.6);
    QLinearGradient ring(centre - QPointF(0, bezelRadius), centre + QPointF(0, bezelRadius));
    ring.setColorAt(0, QColor(20, 21, 23));
    ring.setColorAt(1, QColor(74, 77, 82));
    p.setBrush(ring);
    p.drawEllipse(centre, bezelRadius, bezelRadius);
    p.setBrush(ink::kRim);
    p.drawEllipse(centre, capRadius + 2.2, capRadius + 2.2);
    if (look == Look::Over) {
        QRadialGradient lamp(centre, capRadius + 3.5);
        lamp.setColorAt(0.80, QColor(255, 170, 50, 0));
        lamp.setColorAt(0.90, QColor(255, 170, 50, 210));
        lamp.setColorAt(1.0, QColor(255, 170, 50, 0));
        p.setBrush(lamp);
        p.drawEllipse(centre, capRadius + 3.5, capRadius + 3.5);
    }
    const QPointF shift = look == Look::Down ? QPointF(0, 0.8) : QPointF(0, 0);
    QRadialGradient face(centre + shift + QPointF(-capRadius * 0.35, -capRadius * 0.45), capRadius * 1.7);
    switch (look) {
    case Look::Idle:
        face.setColorAt(0, QColor(122, 126, 132));
        face.setColorAt(0.6, QColor(70, 73, 78));
        face.setColorAt(1, QColor(42, 44, 48));
        break;
    case Look::Over:
        face.setColorAt(0, QColor(136, 136, 136));
        face.setColorAt(0.6, QColor(80, 80, 82));
        face.setColorAt(1, QColor(48, 48, 50));
        break;
    case Look::Down:
        face.setColorAt(0, QColor(78, 80, 86));
        face.setColorAt(0.6, QColor(48, 50, 54));
        face.setColorAt(1, QColor(34, 35, 38));
        break;
    }
    p.setBrush(face);
    p.drawEllipse(centre + shift, capRadius, capRadius);
    // Concentric machining rings on the cap face.
    p.setBrush(Qt::NoBrush);
    for (qreal r = capRadius * 0.35; r < capRadius - 1; r += 2.0) {
        p.setPen(QPen(QColor(255, 255, 255, 9), 0.8));
        p.drawEllipse(centre + shift, r, r);
    }
    p.setPen(QPen(QColor(255, 255, 255, look == Look::Down ? 20 : 56), 1));
    p.drawArc(QRectF(centre + shift - QPointF(capRadius - 0.5, capRadius - 0.5),
                     QSizeF(2 * capRadius - 1, 2 * capRadius - 1)),
              35 * 16, 110 * 16);
    p.restore();
}

void drawGlow(QPainter& p, const QPainterPath& glyph, QColor color) {
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 3; i >= 1; --i) {
        QColor c = color;
        c.setAlpha(22 + (3 - i) * 14);
        p.setPen(QPen(c, i * 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(glyph);
    }
    p.restore();
}

QImage finishWindow(const QImage& body, const QPainterPath& outline, QRgb key) {
    QImage coverage(body.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        prepare(p);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(outline);
    }
    const QImage source = body.convertToFormat(QImage::Format_RGB32);
    QImage out(body.size(), QImage::Format_RGB32);
    const QColor rim = ink::kRim;
    for (int y = 0; y < out.height(); ++y) {
        const auto* cov = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(cov[x]);
            if (a < kInsideAlpha) {
                dst[x] = key | 0xFF000000u;
                continue;
            }
            // Edge pixels fade into the dark rim, so nothing blends toward the key colour.
            const double t = a / 255.0;
            QRgb c = qRgb(clampByte(qRed(src[x]) * t + rim.red() * (1 - t)),
                          clampByte(qGreen(src[x]) * t + rim.green() * (1 - t)),
                          clampByte(qBlue(src[x]) * t + rim.blue() * (1 - t)));
            if ((c & 0xFFFFFFu) == (key & 0xFFFFFFu))
                c = shade(QColor(c), qBlue(c) == 255 ? -1 : 1).rgb();
            dst[x] = c;
        }
    }
    return out;
}

QImage cropPadded(const QImage& source, const QRect& area, QColor fallback) {
    QImage out(area.size(), QImage::Format_RGB32);
    out.fill(fallback);
    QPainter p(&out);
    p.drawImage(QPoint(0, 0), source, area);
    return out;
}

} // namespace painter
