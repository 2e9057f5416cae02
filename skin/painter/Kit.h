#pragma once
// The drawing kit shared by every picture: palette, brushed panels, recesses, screws, key caps, glyph ink and
// the finishing of a shaped window (its key colour outside the outline, never inside).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <cstdint>
#include <vector>

namespace painter {

inline constexpr int kTwipsPerPixel = 15;

// A control's place in a window design, in twips.
struct Twips {
    int left;
    int top;
    int width;
    int height;
};

QRect toPixels(const Twips& place);

// One palette for the whole skin: dark graphite hardware, amber lights, green glass read-outs.
namespace ink {
inline const QColor kPanel{58, 61, 66};
inline const QColor kPanelDark{40, 42, 46};
inline const QColor kRim{14, 15, 17};
inline const QColor kRecess{24, 25, 28};
inline const QColor kWell{30, 32, 35};
inline const QColor kHighlight{150, 155, 162};
inline const QColor kLegend{168, 172, 170};
inline const QColor kBrand{214, 216, 210};
inline const QColor kGlyph{226, 228, 222};
inline const QColor kGlyphDim{120, 124, 126};
inline const QColor kAmber{255, 176, 56};
inline const QColor kAmberSoft{214, 140, 40};
inline const QColor kGlassTop{14, 28, 20};
inline const QColor kGlassBottom{8, 18, 13};
inline const QColor kAluminium{196, 198, 194};
} // namespace ink

// The three looks of a button: idle plate, lit under the pointer, pressed.
enum class Look { Idle, Over, Down };

// Deterministic noise (xorshift32): the same pictures on every run and machine.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t next();
    double unit(); // in [-1, 1]

  private:
    std::uint32_t state_;
};

// A painter with antialiasing on, the only way pictures are drawn here.
void prepare(QPainter& p);

// The font of legends and glyph text: DejaVu Sans at an exact pixel size.
QFont uiFont(int pixelSize, bool bold, qreal letterSpacing = 0);

// Fills the whole image with horizontally brushed metal around the base colour.
void fillBrushed(QImage& image, QColor base, std::uint32_t seed, int streakRange = 5);

// A corner of an outline and how much of it is cut away: a straight chamfer, or a round of that radius.
struct Corner {
    QPointF at;
    qreal cut = 0;
    bool round = false;
};

// A closed outline through the corners in order, each cut as it asks. Edges that run along the pixel grid
// keep whole pixels whole, so outlines that interlock can be drawn to the pixel.
QPainterPath cornered(const std::vector<Corner>& corners);

// The rim of a window's outline: dark edge, with a faint highlight just inside its upper side.
void drawChassisEdges(QPainter& p, const QPainterPath& shape);

// A sunken area: dark fill, shadow along the top edge, light lip along the bottom.
void drawRecess(QPainter& p, const QRectF& area, qreal radius, QColor fill = ink::kRecess);

// A sunken area of any shape, lit as drawRecess lights a rectangle.
void drawRecess(QPainter& p, const QPainterPath& area, QColor fill = ink::kRecess);

// A raised plate (bevelled), used for nameplates and wells' frames.
void drawRaised(QPainter& p, const QRectF& area, qreal radius, QColor top, QColor bottom);

// A countersunk cross-head screw of about 7 pixels.
void drawScrew(QPainter& p, QPointF centre, qreal angleDegrees);

// Small silkscreen text, left aligned at its baseline's start (or centred on a point).
void drawLegend(QPainter& p, QPointF baselineStart, const QString& text, int pixelSize,
                QColor color = ink::kLegend, bool bold = true, qreal letterSpacing = 0.6);
void drawLegendCentred(QPainter& p, const QRectF& box, const QString& text, int pixelSize,
                       QColor color = ink::kLegend, bool bold = true, qreal letterSpacing = 0.6);

// Glyph colour for a look.
QColor glyphInk(Look look);

// A rectangular key cap filling the area: dark rim, gradient face, top highlight; pressed caps sink.
void drawKeyCap(QPainter& p, const QRectF& area, qreal radius, Look look);

// A round cap in a bezel ring; over lights an amber ring.
void drawRoundCap(QPainter& p, QPointF centre, qreal bezelRadius, qreal capRadius, Look look);

// A soft amber glow painted under a lit glyph.
void drawGlow(QPainter& p, const QPainterPath& glyph, QColor color);

// Finishes a window skin: pixels whose coverage by the outline is under half become exactly the key colour,
// the others are the body (edge pixels shaded toward the rim colour, never toward the key). Any body pixel
// equal to the key colour is nudged one step so the key appears only outside.
QImage finishWindow(const QImage& body, const QPainterPath& outline, QRgb key);

// Copies a part of an image; pixels outside it take the fallback colour.
QImage cropPadded(const QImage& source, const QRect& area, QColor fallback);

} // namespace painter
