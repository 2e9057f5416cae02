// The embedded skin: every picture present at its size, window key colours only outside the outlines,
// controls that never carry a key colour, and state pictures that actually differ.
#include "platform/runtime/SkinCatalog.h"

#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <vector>

namespace {

namespace sk = rt::skin;

QString resourcePath(std::string_view file) {
    return QString::fromLatin1(sk::kResourcePrefix) +
           QString::fromUtf8(file.data(), static_cast<int>(file.size()));
}

QImage load(std::string_view file) {
    return QImage(resourcePath(file));
}

// 0x00BBGGRR, the program's colour form, to Qt's 0xAARRGGBB.
QRgb toQRgb(int bgr) {
    return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

bool sameRgb(QRgb a, QRgb b) {
    return (a & 0xFFFFFFu) == (b & 0xFFFFFFu);
}

int maxChannelDistance(QRgb a, QRgb b) {
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Marks the key pixels reachable from the picture's border through key pixels (4-connected).
std::vector<bool> keyReachableFromBorder(const QImage& image, QRgb key) {
    const int w = image.width(), h = image.height();
    std::vector<bool> reached(static_cast<size_t>(w * h), false);
    std::deque<QPoint> queue;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        const size_t i = static_cast<size_t>(y * w + x);
        if (reached[i] || !sameRgb(image.pixel(x, y), key))
            return;
        reached[i] = true;
        queue.emplace_back(x, y);
    };
    for (int x = 0; x < w; ++x) {
        visit(x, 0);
        visit(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        visit(0, y);
        visit(w - 1, y);
    }
    while (!queue.empty()) {
        const QPoint p = queue.front();
        queue.pop_front();
        visit(p.x() + 1, p.y());
        visit(p.x() - 1, p.y());
        visit(p.x(), p.y() + 1);
        visit(p.x(), p.y() - 1);
    }
    return reached;
}

std::vector<const sk::Entry*> entriesOf(sk::Kind kind) {
    std::vector<const sk::Entry*> out;
    for (const sk::Entry& e : sk::kCatalog)
        if (e.kind == kind)
            out.push_back(&e);
    return out;
}

QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Relative luminance, for the contrast of read-out text on the strip.
double luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

TEST(SkinCatalog, EveryPictureLoadsFromTheResourcesAtItsSize) {
    for (const sk::Entry& entry : sk::kCatalog) {
        const QImage image = load(entry.file);
        ASSERT_FALSE(image.isNull()) << entry.file;
        EXPECT_EQ(image.size(), QSize(entry.width, entry.height)) << entry.file;
    }
}

TEST(SkinCatalog, EmbeddedFilesAndCatalogueMatchOneToOne) {
    const QStringList embedded = QDir(QStringLiteral(":/skin/pictures")).entryList(QDir::Files);
    EXPECT_EQ(embedded.size(), static_cast<int>(sk::kCatalog.size()));
    for (const QString& file : embedded) {
        const QByteArray name = file.toUtf8();
        EXPECT_NE(sk::find(std::string_view(name.constData(), name.size())), nullptr) << name.constData();
    }
    EXPECT_EQ(sk::find("nothing.png"), nullptr);
}

TEST(WindowSkins, KeyColourLiesOnlyOutsideTheOutline) {
    for (const sk::Entry* entry : entriesOf(sk::Kind::Window)) {
        const QImage image = load(entry->file);
        ASSERT_FALSE(image.isNull()) << entry->file;
        const QRgb key = toQRgb(entry->keyColor);
        const int w = image.width(), h = image.height();
        for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
            EXPECT_TRUE(sameRgb(image.pixel(corner), key))
                << entry->file << " corner " << corner.x() << "," << corner.y();
        const std::vector<bool> outside = keyReachableFromBorder(image, key);
        int enclosedKey = 0, body = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool isKey = sameRgb(image.pixel(x, y), key);
                enclosedKey += isKey && !outside[static_cast<size_t>(y * w + x)];
                body += !isKey;
            }
        EXPECT_EQ(enclosedKey, 0) << entry->file << ": key colour inside the outline";
        // Outlines interlock with the other windows' where they dock, so a body may leave a third uncovered.
        EXPECT_GT(body, w * h * 2 / 3) << entry->file << ": the body should fill most of the picture";
        EXPECT_LT(body, w * h) << entry->file << ": the outline should show a shape";
    }
}

TEST(WindowSkins, OutlineEdgeIsClearlyNotTheKeyColour) {
    // Antialiasing toward the key would leave a fringe of near-key pixels along the outline.
    constexpr int kMinDistance = 48;
    for (const sk::Entry* entry : entriesOf(sk::Kind::Window)) {
        const QImage image = load(entry->file);
        const QRgb key = toQRgb(entry->keyColor);
        auto isKey = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
                   sameRgb(image.pixel(x, y), key);
        };
        int edge = 0, fringe = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (isKey(x, y) ||
                    !(isKey(x + 1, y) || isKey(x - 1, y) || isKey(x, y + 1) || isKey(x, y - 1)))
                    continue;
                ++edge;
                fringe += maxChannelDistance(image.pixel(x, y), key) < kMinDistance;
            }
        EXPECT_GT(edge, image.width()) << entry->file << ": the outline should have an edge";
        EXPECT_EQ(fringe, 0) << entry->file;
    }
}

TEST(WindowSkins, AreOpaqueSoNoAlphaReachesTheKey) {
    for (const sk::Entry* entry : entriesOf(sk::Kind::Window)) {
        const QImage image = load(entry->file);
        EXPECT_FALSE(image.hasAlphaChannel()) << entry->file;
    }
}

TEST(ControlPictures, NeverCarryEitherKeyColour) {
    // Buttons and sliders sit on blue-keyed and white-keyed windows alike.
    const QRgb blue = toQRgb(sk::kBlueKey), white = toQRgb(sk::kWhiteKey);
    for (const sk::Kind kind : {sk::Kind::Control, sk::Kind::Icon}) {
        for (const sk::Entry* entry : entriesOf(kind)) {
            const QImage image = load(entry->file).convertToFormat(QImage::Format_ARGB32);
            int keyed = 0, translucent = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb c = image.pixel(x, y);
                    keyed += qAlpha(c) == 255 && (sameRgb(c, blue) || sameRgb(c, white));
                    translucent += qAlpha(c) < 255;
                }
            EXPECT_EQ(keyed, 0) << entry->file;
            if (kind == sk::Kind::Control) {
                EXPECT_EQ(translucent, 0) << entry->file << ": control pictures are drawn opaque";
            }
        }
    }
}

TEST(ControlPictures, StatePicturesDiffer) {
    const std::vector<std::pair<const char*, const char*>> pairs{
        {sk::kCloseBack, sk::kMinBack},           {sk::kCloseOver, sk::kMinOver},
        {sk::kCloseDown, sk::kMinDown},           {sk::kPlayNormal, sk::kPlayBack},
        {sk::kSaToggleNormal, sk::kSaToggleBack}, {sk::kSeekThumb, sk::kSeekThumbOver},
        {sk::kVolThumb, sk::kVolThumbOver},       {sk::kPlayNormal, sk::kPauseBack},
    };
    for (const auto& [a, b] : pairs)
        EXPECT_NE(load(a), load(b)) << a << " vs " << b;
    const std::vector<std::vector<const char*>> sets{
        {sk::kCloseBack, sk::kCloseOver, sk::kCloseDown},
        {sk::kMinBack, sk::kMinOver, sk::kMinDown},
        {sk::kAboutBack, sk::kAboutOver, sk::kAboutDown},
        {sk::kInfoBack, sk::kInfoOver, sk::kInfoDown},
        {sk::kOpenDown, sk::kOpenOver},
        {sk::kPlDown, sk::kPlOver},
        {sk::kSaToggleNormal, sk::kSaToggleOver, sk::kSaToggleDown},
        {sk::kPlayNormal, sk::kPlayOver, sk::kPlayDown},
        {sk::kPauseBack, sk::kPauseOver, sk::kPauseDown},
        {sk::kStopNormal, sk::kStopOver, sk::kStopDown},
    };
    for (const auto& set : sets)
        for (size_t i = 0; i < set.size(); ++i)
            for (size_t j = i + 1; j < set.size(); ++j)
                EXPECT_NE(load(set[i]), load(set[j])) << set[i] << " vs " << set[j];
}

TEST(ControlPictures, SliderTracksContinueTheSkinBeneathThem) {
    // The tracks are cut from the skin where the sliders lie, so no seam shows around them.
    const QImage player = load(sk::kPlayer);
    const struct {
        const char* file;
        QRect place;
    } tracks[] = {{sk::kSeekTrack, twips(330, 1185, 3000, 165)},
                  {sk::kVolTrack, twips(675, 1590, 2655, 210)}};
    for (const auto& track : tracks) {
        const QImage picture = load(track.file).convertToFormat(QImage::Format_RGB32);
        const QImage beneath = player.copy(track.place).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(picture.copy(QRect(QPoint(0, 0), track.place.size())), beneath) << track.file;
    }
}

TEST(ReadoutStrip, IsDarkGlassThatTheReadoutColourReadsOn) {
    const QImage strip = load(sk::kStrip);
    const QRgb text = toQRgb(sk::kReadoutTextColor);
    // Where the labels print: inside the bezel, across the strip's middle rows.
    double darkest = 1, lightest = 0;
    for (int y = 3; y < 18; ++y)
        for (int x = 3; x < strip.width() - 3; ++x) {
            darkest = std::min(darkest, luminance(strip.pixel(x, y)));
            lightest = std::max(lightest, luminance(strip.pixel(x, y)));
        }
    EXPECT_LT(lightest, 0.05) << "the strip should be dark glass";
    EXPECT_GT((luminance(text) + 0.05) / (lightest + 0.05), 7.0)
        << "read-out text must stand out on the strip";
}

} // namespace
