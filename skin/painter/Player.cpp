// The main window's skin and the pictures of its own buttons and sliders, which are cut from the skin
// beneath each control so that they sit on it without a seam.
#include "../../platform/runtime/SkinCatalog.h"
#include "Glyphs.h"
#include "Skins.h"

#include <QLinearGradient>
#include <cstdlib>

namespace painter {

namespace sk = rt::skin;

namespace {

// The main window's design: where its controls lie.
namespace place {
const QRect kAbaut = toPixels({1530, 1980, 690, 375});
const QRect kPictureLD = toPixels({1440, 630, 1575, 345});
const QRect kPicture1 = toPixels({765, 630, 2250, 345});
const QRect kPicture2 = toPixels({3525, 600, 795, 345});
const QRect kOpen = toPixels({3015, 2145, 375, 420});
const QRect kPL = toPixels({2565, 2145, 390, 420});
const QRect kSAtoggle = toPixels({3525, 2115, 405, 435});
const QRect kSliderTime = toPixels({330, 1185, 3000, 165}); // the stored extent: 200 x 11 pixels
const QRect kSliderVol = toPixels({675, 1590, 2655, 210});
const QRect kPlay = toPixels({3735, 1110, 1050, 975});
const QRect kStop = toPixels({4575, 1080, 885, 915});
const QRect kInfo = toPixels({4005, 2115, 795, 330});
const QRect kMinimise = toPixels({2250, 90, 285, 270});
const QRect kClose = toPixels({2550, 90, 285, 270});
} // namespace place

constexpr QSize kSkinSize{384, 194};
constexpr QRgb kKey = qRgb(0, 0, 255);
constexpr std::uint32_t kBrushSeed = 0x0DA4A001u;

// Faces of the transport buttons: one centre for the big round Play/Pause cap, one for Stop, which is
// tucked half behind Play and centred on the part of it that shows.
const QPointF kPlayCentre(284, 106);
constexpr qreal kPlayBezel = 31, kPlayCap = 25;
const QPointF kStopCentre(342, 104);
constexpr qreal kStopBezel = 20, kStopCap = 15;

// Key caps of the lower row share one line: top 143, 20 pixels high.
const QRectF kPLCap(173, 143, 23, 20);
const QRectF kOpenCap(203, 143, 23, 20);
const QRectF kSAtoggleCap(236, 143, 23, 20);
const QRectF kInfoCap(268, 143, 51, 20);
const QRectF kAbautCap(103, 134, 44, 21);
constexpr qreal kCapRadius = 3;

// The chassis interlocks with its companions at their docking places: the spectrum window rests on its top
// edge around the raised tab of the window buttons; the about window and the playlist fill the steps cut
// into its left side and lower left; the information window fills the notch in its lower right.
QPainterPath outline() {
    return cornered({
        {{1, 10}, 10, true},
        {{136, 10}, 1},
        {{142, 4}, 2},
        {{196, 4}, 2},
        {{202, 10}, 1},
        {{383, 10}, 10, true},
        {{383, 138}, 6},
        {{322, 138}},
        {{322, 173}, 4},
        {{168, 173}, 4},
        {{168, 159}},
        {{57, 159}, 5},
        {{57, 142}, 2},
        {{39, 124}, 2},
        {{39, 100}},
        {{16, 100}, 4},
        {{16, 70}},
        {{1, 70}, 4},
    });
}

void drawSeekGroove(QPainter& p) {
    drawRecess(p, QRectF(place::kSliderTime).adjusted(-4, -4, 4, 4), 5);
    drawRecess(p, QRectF(26, 82, 192, 5), 2.5, QColor(8, 8, 9));
    // A dim amber thread along the channel: the track reads as a lit scale, and so does its progress copy.
    p.fillRect(QRectF(28, 84, 188, 1), QColor(150, 92, 26));
}

void drawFaderGroove(QPainter& p) {
    drawRecess(p, QRectF(place::kSliderVol).adjusted(-4, -4, 4, 4), 5);
    drawRecess(p, QRectF(50, 111, 168, 3), 1.5, QColor(6, 6, 7));
    // One mark every 9 dB, under the fader cap's centre line at each step.
    constexpr int kFirstMark = 58, kMarkStep = 15, kMarks = 11;
    for (int i = 0; i < kMarks; ++i) {
        const bool end = i == 0 || i == kMarks - 1;
        const QColor mark = end ? ink::kLegend : QColor(120, 124, 126);
        const int x = kFirstMark + i * kMarkStep;
        p.fillRect(QRect(x, end ? 106 : 107, 1, end ? 3 : 2), mark);
        p.fillRect(QRect(x, 117, 1, end ? 3 : 2), mark);
    }
}

// The bay stops short of the notch below it; the Play bezel stands proud of its lower edge.
void drawTransportBay(QPainter& p) {
    drawRecess(p, QRectF(241, 66, 129, 68), 8, QColor(34, 36, 39));
}

// Ventilation slots beside the about key, on the step above the playlist's counts.
void drawVents(QPainter& p) {
    constexpr int kSlots = 4, kLeft = 79, kStep = 6, kTop = 135, kHeight = 17;
    for (int i = 0; i < kSlots; ++i)
        drawRecess(p, QRectF(kLeft + i * kStep, kTop, 3, kHeight), 1.5, QColor(12, 13, 15));
}

void drawLegends(QPainter& p) {
    drawLegend(p, QPointF(24, 27), QStringLiteral("ONDARA"), 11, ink::kBrand, true, 2.2);
    p.fillRect(QRectF(24, 30, 4, 1), ink::kAmber);
    drawLegend(p, QPointF(53, 35), QStringLiteral("TIEMPO"), 7);
    drawLegend(p, QPointF(134, 35), QStringLiteral("TÍTULO"), 7);
    drawLegend(p, QPointF(233, 33), QStringLiteral("VOLUMEN"), 7);
    drawLegend(p, QPointF(283, 22), QStringLiteral("AUDICIÓN VIP"), 7, ink::kLegend, true, 0.9);
    drawLegend(p, QPointF(49, 133), QStringLiteral("VOL"), 7);
}

QImage skin() {
    QImage body(kSkinSize, QImage::Format_RGB32);
    fillBrushed(body, ink::kPanel, kBrushSeed);
    const QPainterPath shape = outline();
    {
        QPainter p(&body);
        prepare(p);
        drawChassisEdges(p, shape);
        drawLegends(p);
        // Frames around the read-out boxes; the time and title boxes overlap and share one.
        drawRecess(p, QRectF(place::kPicture1.united(place::kPictureLD)).adjusted(-4, -4, 4, 4), 4);
        drawRecess(p, QRectF(place::kPicture2).adjusted(-4, -4, 4, 4), 4);
        drawSeekGroove(p);
        drawFaderGroove(p);
        drawTransportBay(p);
        drawVents(p);
        // The tab's rim runs just above the buttons: their well keeps below it.
        drawRecess(p, QRectF(place::kMinimise.united(place::kClose)).adjusted(-2, -0.5, 2, 2), 3, ink::kWell);
        drawScrew(p, QPointF(12, 22), 20);
        drawScrew(p, QPointF(372, 22), 70);
        drawScrew(p, QPointF(66, 150), 40);
        drawScrew(p, QPointF(377, 127), 5);
    }
    return finishWindow(body, shape, kKey);
}

FaceDrawer roundFace(QPointF centre, qreal bezel, qreal cap, std::function<QPainterPath(QPointF)> makeGlyph,
                     bool dimGlyph = false) {
    return [=](QPainter& p, Look look) {
        drawRoundCap(p, centre, bezel, cap, look);
        if (!makeGlyph)
            return;
        const QPainterPath g = makeGlyph(centre + QPointF(0, look == Look::Down ? 0.8 : 0));
        if (dimGlyph) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink::kGlyphDim);
            p.drawPath(g);
            return;
        }
        glyph::draw(p, g, look);
    };
}

FaceDrawer keyFace(QRectF cap, std::function<QPainterPath(QPointF)> makeGlyph) {
    return [=](QPainter& p, Look look) {
        drawKeyCap(p, cap, kCapRadius, look);
        glyph::draw(p, makeGlyph(cap.center()), look);
    };
}

// The four pictures a button of the main window stores, each cut from the skin at the place it lands.
struct ButtonSet {
    const char* back;
    const char* normal; // nullptr: the back picture serves
    const char* down;
    const char* over;
};

void addButton(Pictures& out, const QImage& skinImage, const QRect& control, const ButtonSet& set,
               const FaceDrawer& face, const FaceDrawer& backFace) {
    auto sizeOf = [](const char* file) {
        const sk::Entry* e = sk::find(file);
        return QSize(e->width, e->height);
    };
    out.push_back(
        {set.back, buttonPicture(skinImage, control, sizeOf(set.back), true, Look::Idle, backFace)});
    if (set.normal)
        out.push_back(
            {set.normal, buttonPicture(skinImage, control, sizeOf(set.normal), false, Look::Idle, face)});
    out.push_back({set.down, buttonPicture(skinImage, control, sizeOf(set.down), false, Look::Down, face)});
    out.push_back({set.over, buttonPicture(skinImage, control, sizeOf(set.over), false, Look::Over, face)});
}

QImage fromSkin(const QImage& skinImage, const QRect& control, const char* file) {
    const sk::Entry* e = sk::find(file);
    return cropPadded(skinImage, QRect(control.topLeft(), QSize(e->width, e->height)), ink::kPanel);
}

QImage thumb(QSize size, Look look) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(ink::kRim);
    QPainter p(&image);
    prepare(p);
    const QRectF face = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1, 1, -1, -1);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, look == Look::Over ? QColor(150, 150, 148) : QColor(138, 142, 148));
    g.setColorAt(0.5, look == Look::Over ? QColor(104, 102, 98) : QColor(92, 96, 102));
    g.setColorAt(1, QColor(52, 54, 58));
    p.fillRect(face, g);
    const int mid = size.width() / 2;
    if (size.width() > 12) {
        // Grip ridges across the fader cap, either side of its index line.
        for (int x = 3; x < size.width() - 3; x += 3) {
            if (std::abs(x - mid) < 3)
                continue;
            p.fillRect(QRect(x, 2, 1, size.height() - 4), QColor(0, 0, 0, 70));
            p.fillRect(QRect(x + 1, 2, 1, size.height() - 4), QColor(255, 255, 255, 26));
        }
    }
    p.fillRect(QRect(1, 1, size.width() - 2, 1), QColor(255, 255, 255, 60));
    const QColor index = look == Look::Over ? ink::kAmber : ink::kGlyph;
    p.fillRect(QRect(mid, 1, 1, size.height() - 2), index);
    return image;
}

} // namespace

Pictures paintPlayer() {
    const QImage s = skin();
    Pictures out{{sk::kPlayer, s}};

    const auto playGlyph = [](QPointF c) { return glyph::play(c, 20); };
    const auto pauseGlyph = [](QPointF c) { return glyph::pause(c, 18); };
    const auto stopGlyph = [](QPointF c) { return glyph::stop(c, 11); };
    const FaceDrawer play = roundFace(kPlayCentre, kPlayBezel, kPlayCap, playGlyph);
    const FaceDrawer pause = roundFace(kPlayCentre, kPlayBezel, kPlayCap, pauseGlyph);
    const FaceDrawer stop = roundFace(kStopCentre, kStopBezel, kStopCap, stopGlyph);
    // Play's back picture is the unlit plate; its normal picture, drawn over it, carries the lit glyph.
    addButton(out, s, place::kPlay, {sk::kPlayBack, sk::kPlayNormal, sk::kPlayDown, sk::kPlayOver}, play,
              roundFace(kPlayCentre, kPlayBezel, kPlayCap, playGlyph, true));
    addButton(out, s, place::kPlay, {sk::kPauseBack, nullptr, sk::kPauseDown, sk::kPauseOver}, pause, pause);
    addButton(out, s, place::kStop, {sk::kStopBack, sk::kStopNormal, sk::kStopDown, sk::kStopOver}, stop,
              stop);

    const auto spectrum = keyFace(kSAtoggleCap, glyph::spectrum);
    const FaceDrawer blankKey = [](QPainter& p, Look look) { drawKeyCap(p, kSAtoggleCap, kCapRadius, look); };
    addButton(out, s, place::kSAtoggle,
              {sk::kSaToggleBack, sk::kSaToggleNormal, sk::kSaToggleDown, sk::kSaToggleOver}, spectrum,
              blankKey);
    const auto open = keyFace(kOpenCap, glyph::eject);
    addButton(out, s, place::kOpen, {sk::kOpenBack, nullptr, sk::kOpenDown, sk::kOpenOver}, open, open);
    const auto list = keyFace(kPLCap, glyph::list);
    addButton(out, s, place::kPL, {sk::kPlBack, nullptr, sk::kPlDown, sk::kPlOver}, list, list);
    const auto info = keyFace(kInfoCap, [](QPointF c) {
        return glyph::text(QRectF(c - QPointF(25, 10), QSizeF(50, 20)), QStringLiteral("INFO"), 9, 1.2);
    });
    addButton(out, s, place::kInfo, {sk::kInfoBack, nullptr, sk::kInfoDown, sk::kInfoOver}, info, info);
    const auto about = keyFace(kAbautCap, glyph::about);
    addButton(out, s, place::kAbaut, {sk::kAboutBack, nullptr, sk::kAboutDown, sk::kAboutOver}, about, about);

    out.push_back({sk::kSeekTrack, fromSkin(s, place::kSliderTime, sk::kSeekTrack)});
    out.push_back({sk::kVolTrack, fromSkin(s, place::kSliderVol, sk::kVolTrack)});
    out.push_back({sk::kSeekThumb, thumb({9, 11}, Look::Idle)});
    out.push_back({sk::kSeekThumbOver, thumb({9, 11}, Look::Over)});
    out.push_back({sk::kVolThumb, thumb({27, 14}, Look::Idle)});
    out.push_back({sk::kVolThumbOver, thumb({27, 14}, Look::Over)});
    return out;
}

} // namespace painter
