// Docked windows fit together: at their docking places the visible pixels of the main window and its
// companions never overlap, so none covers another whatever the stacking order, and every control of every
// window lies on visible pixels of its own window. The visible pixels are the region the windows are shaped
// by, built from each embedded skin and its key colour.
#include "controls/RegionFromBitmap.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/SkinCatalog.h"
#include "platform/win/Gdi.h"
#include "platform/win/Handles.h"
#include "tests/support/ControlsHost.h"

#include <QImage>
#include <QRegion>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace sk = rt::skin;

// A skin picture as the shaping code reads a window: device context, unit and client size.
class SkinSurface {
  public:
    explicit SkinSurface(QImage pixels)
        : image_(std::move(pixels)), dc_(rt::win::registerSurface({&image_, {}})) {}
    ~SkinSurface() { rt::win::unregisterSurface(dc_); }
    SkinSurface(const SkinSurface&) = delete;
    SkinSurface& operator=(const SkinSurface&) = delete;

    rt::win::HDC hDC() const { return dc_; }
    int ScaleMode() const { return mode_; }
    void setScaleMode(int mode) { mode_ = mode; }
    double ScaleWidth() const { return scaled(image_.width()); }
    double ScaleHeight() const { return scaled(image_.height()); }

  private:
    double scaled(int pixels) const {
        return mode_ == rt::kScaleTwips ? pixels * rt::kTwipsPerPixel : pixels;
    }
    QImage image_;
    rt::win::HDC dc_;
    int mode_ = rt::kScaleTwips;
};

QRegion visibleRegion(std::string_view file) {
    const sk::Entry* entry = sk::find(file);
    const QImage image(QString::fromLatin1(sk::kResourcePrefix) +
                       QString::fromUtf8(file.data(), static_cast<int>(file.size())));
    if (!entry || image.isNull())
        return {};
    SkinSurface surface(image.convertToFormat(QImage::Format_RGB32));
    const rt::win::HRGN handle = controls::CreateFormRegion(surface, entry->keyColor);
    QRegion region = rt::win::regionOf(handle);
    rt::win::DeleteObject(handle);
    return region;
}

const QRegion& visible(std::string_view file) {
    static std::map<std::string_view, QRegion> regions;
    auto found = regions.find(file);
    if (found == regions.end())
        found = regions.emplace(file, visibleRegion(file)).first;
    return found->second;
}

// The pixels a control placed in twips can touch: its edges rounded as the controls round them, and widened
// to every pixel the twips reach.
QRect pixelsOf(double left, double top, double width, double height) {
    const double k = rt::kTwipsPerPixel;
    const int x0 = static_cast<int>(std::floor(left / k));
    const int y0 = static_cast<int>(std::floor(top / k));
    const int x1 = std::max(static_cast<int>(std::ceil((left + width) / k)),
                            static_cast<int>(std::lround(left / k) + std::lround(width / k)));
    const int y1 = std::max(static_cast<int>(std::ceil((top + height) / k)),
                            static_cast<int>(std::lround(top / k) + std::lround(height / k)));
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

// The pixels of a label sized to its caption, as the runtime sizes it, placed at a design's left and top in
// twips.
QRect captionPixels(double left, double top, const rt::FontSpec& font, const QString& caption) {
    fixtures::ControlsHost host(600, 100);
    rt::Label label(host);
    label.setFont(font);
    label.setAutoSize(true);
    label.setCaption(caption);
    const double k = rt::kTwipsPerPixel;
    return pixelsOf(left, top, label.Width() * k, label.Height() * k);
}

struct Control {
    std::string name;
    QRect pixels;
};

struct Window {
    std::string_view skin;
    std::vector<Control> controls;
};

QRect at(double left, double top, double width, double height) {
    return pixelsOf(left, top, width, height);
}

// Every control of every window that shows or can show, from the window designs; labels that size
// themselves to their captions are measured with long captions of the kind they show.
const std::vector<Window>& windows() {
    const rt::FontSpec plain;
    const rt::FontSpec bold{"MS Sans Serif", 8.25, true};
    static const std::vector<Window> all{
        {sk::kPlayer,
         {{"Abaut", at(1530, 1980, 690, 375)},
          {"XP_ProgressBar1", at(300, 1125, 3075, 300)},
          {"PictureLD", at(1440, 630, 1575, 345)},
          {"Picture2", at(3525, 600, 795, 345)},
          {"Open", at(3015, 2145, 375, 420)},
          {"PL", at(2565, 2145, 390, 420)},
          {"Picture1", at(765, 630, 2250, 345)},
          {"SAtoggle1", at(3525, 2115, 405, 435)},
          {"SliderTime", at(330, 1185, 3000, 160)},
          {"SliderVol", at(675, 1590, 2655, 210)},
          {"Control(0)", at(3735, 1110, 1050, 975)},
          {"Control(2)", at(4575, 1080, 885, 915)},
          {"Info", at(4005, 2115, 795, 330)},
          {"cmdMinimizar", at(2250, 90, 285, 270)},
          {"Close", at(2550, 90, 285, 270)},
          {"mp3Baud (design)", at(1335, 360, 540, 255)},
          {"mp3Baud", captionPixels(1335, 360, plain, QStringLiteral(" 320 Kbaud "))}}},
        {sk::kSa,
         {{"Picture1", at(4500, 90, 840, 345)},
          {"cmdMinimizar", at(240, 720, 285, 270)},
          {"Close", at(240, 405, 285, 270)},
          {"ShapeVol", at(5355, 750, 60, 4050)},
          {"WindowsMediaPlayer", at(600, 495, 4665, 4545)},
          {"Label1 (design)", at(2415, 165, 1035, 195)},
          {"Label1", captionPixels(2415, 165, bold, QStringLiteral("Spectral VU"))}}},
        {sk::kPlayList,
         {{"CheckToolTips", at(900, 4320, 2400, 195)},
          {"TextInfo", at(810, 1800, 2625, 2355)},
          {"ListFiles", at(495, 1620, 3210, 2595)},
          {"cmdMinimizar", at(720, 720, 285, 270)},
          {"Close", at(1035, 720, 285, 270)},
          {"LabelNvip", captionPixels(570, 1200, plain, QStringLiteral("32767 Proyectos Vips"))},
          {"Files", captionPixels(540, 1395, plain, QStringLiteral("99999 archivos de audio"))},
          {"Image", at(1395, 4635, 480, 480)},
          {"Label1 (design)", at(1980, 4725, 855, 285)},
          {"Label1", captionPixels(1980, 4725, bold, QStringLiteral(" Play list "))}}},
        {sk::kInfoFile,
         {{"TextInfo", at(195, 900, 3555, 1770)},
          {"cmdSalir", at(3435, 600, 285, 270)},
          {"ImageInfo(0)", at(1680, 390, 480, 480)},
          {"ImageInfo(1)", at(1680, 390, 480, 465)}}},
        {sk::kAcerca,
         {{"cmdSalir", at(2880, 0, 285, 270)},
          {"Label2(0)", at(585, 405, 2835, 195)},
          {"Label2(1)", at(1260, 675, 1500, 195)},
          {"Label2(2)", at(1500, 900, 1035, 195)},
          {"Label2(3)", at(255, 1125, 3510, 195)},
          {"Label2(4)", at(945, 1395, 2175, 195)}}},
    };
    return all;
}

const Window& window(std::string_view skin) {
    for (const Window& w : windows())
        if (w.skin == skin)
            return w;
    throw std::logic_error("no such window");
}

// A window lies on whole pixels, the part of a pixel its place in twips names dropped toward zero; so a
// docking offset lands on one of two or three pixel offsets, depending on where the main window stands (on
// the screen, or partly off its top or left).
std::set<int> pixelOffsets(int offsetTwips) {
    const int k = rt::kTwipsPerPixel;
    std::set<int> offsets;
    for (int mainTwips = -60 * k; mainTwips < 600 * k; ++mainTwips)
        offsets.insert((mainTwips + offsetTwips) / k - mainTwips / k);
    return offsets;
}

// A window docked at an offset in twips from the main window's left and top.
struct Dock {
    std::string_view skin;
    int leftTwips;
    int topTwips;
};

const Dock kMain{sk::kPlayer, 0, 0};
const Dock kSpectrum{sk::kSa, 10, -5100};
const Dock kPlaylist{sk::kPlayList, -825, 1250};
const Dock kPlaylistSecond{sk::kPlayList, 0, 2050};
const Dock kInformation{sk::kInfoFile, 3280, 2100};
const Dock kAbout{sk::kAcerca, -3000, 1200};

std::vector<QPoint> placesOf(const Dock& dock) {
    std::vector<QPoint> places;
    for (int x : pixelOffsets(dock.leftTwips))
        for (int y : pixelOffsets(dock.topTwips))
            places.emplace_back(x, y);
    return places;
}

std::string describe(const QRegion& region) {
    const QRect box = region.boundingRect();
    int pixels = 0;
    for (const QRect& r : region)
        pixels += r.width() * r.height();
    return std::to_string(pixels) + " pixels within (" + std::to_string(box.left()) + ", " +
           std::to_string(box.top()) + ")-(" + std::to_string(box.right()) + ", " +
           std::to_string(box.bottom()) + ")";
}

std::string describe(QPoint place) {
    return "(" + std::to_string(place.x()) + ", " + std::to_string(place.y()) + ")";
}

TEST(DockingPlaces, LandOnTheirPixelsOrOneBeside) {
    // The checks below cover every pixel offset a docking place can give.
    EXPECT_EQ(pixelOffsets(0), (std::set<int>{0}));
    EXPECT_EQ(pixelOffsets(10), (std::set<int>{0, 1}));
    EXPECT_EQ(pixelOffsets(-5100), (std::set<int>{-340, -339}));
    EXPECT_EQ(pixelOffsets(1250), (std::set<int>{82, 83, 84}));
    EXPECT_EQ(pixelOffsets(3280), (std::set<int>{217, 218, 219}));
}

TEST(DockedWindows, EveryControlLiesOnVisiblePixelsOfItsWindow) {
    for (const Window& w : windows()) {
        const QRegion& shape = visible(w.skin);
        ASSERT_FALSE(shape.isEmpty()) << w.skin;
        for (const Control& control : w.controls) {
            const QRegion uncovered = QRegion(control.pixels).subtracted(shape);
            EXPECT_TRUE(uncovered.isEmpty())
                << w.skin << " " << control.name << ": " << describe(uncovered) << " on the key colour";
        }
    }
}

TEST(DockedWindows, VisiblePixelsNeverOverlapAtTheDockingPlaces) {
    // The about window shows only for a moment: it keeps clear of the main window alone.
    const std::vector<std::pair<Dock, Dock>> pairs{
        {kMain, kSpectrum},     {kMain, kPlaylist},        {kMain, kInformation},     {kMain, kAbout},
        {kSpectrum, kPlaylist}, {kSpectrum, kInformation}, {kPlaylist, kInformation},
    };
    for (const auto& [a, b] : pairs)
        for (const QPoint placeA : placesOf(a))
            for (const QPoint placeB : placesOf(b)) {
                const QRegion overlap =
                    visible(a.skin).translated(placeA).intersected(visible(b.skin).translated(placeB));
                EXPECT_TRUE(overlap.isEmpty()) << a.skin << " at " << describe(placeA) << " and " << b.skin
                                               << " at " << describe(placeB) << ": " << describe(overlap);
            }
}

// The pixels of a window's controls, at a place.
QRegion controlsAt(const Dock& dock, QPoint place) {
    QRegion all;
    for (const Control& control : window(dock.skin).controls)
        all += control.pixels.translated(place);
    return all;
}

TEST(DockedWindows, PlaylistAtTheSecondPlaceAndTheMainWindowLeaveEachOthersControlsUncovered) {
    // The main window's double click puts the playlist straight below its left edge; there the two shapes
    // may meet, but neither covers a control of the other.
    for (const QPoint list : placesOf(kPlaylistSecond)) {
        const QRegion listOverMain =
            visible(kPlaylistSecond.skin).translated(list).intersected(controlsAt(kMain, QPoint()));
        EXPECT_TRUE(listOverMain.isEmpty())
            << "playlist at " << describe(list) << ": " << describe(listOverMain);
        const QRegion mainOverList = visible(kMain.skin).intersected(controlsAt(kPlaylistSecond, list));
        EXPECT_TRUE(mainOverList.isEmpty())
            << "playlist at " << describe(list) << ": " << describe(mainOverList);
    }
}

} // namespace
