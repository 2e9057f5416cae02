// The intrinsic controls: what the windows rely on beyond Qt's own behaviour.
#include "platform/runtime/ControlWidgets.h"
#include "platform/runtime/Form.h"
#include "tests/support/ControlsHost.h"

#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

struct Design {
    explicit Design(rt::Form& form) : box(form), label(form), list(form), strip(form), title(strip) {
        box.setScaleMode(rt::kScalePixels);
        box.Move(0, 0, 300, 300);
        list.Move(0, 600, 1500, 900);
        strip.setScaleMode(rt::kScalePixels);
        strip.Move(4500, 0, 1500, 300);
        title.Move(10, 2, 300, 14);
        title.setBackStyle(rt::Label::kTransparent);
        title.setCaption("  >>>> a title longer than its strip <<<< ");
        title.setToolTipText("title");
        strip.setToolTipText("strip");
    }
    rt::PictureBox box;
    rt::Label label;
    rt::ListBox list;
    rt::PictureBox strip;
    rt::Label title;
};

// The largest difference of one colour channel between two pictures of one size.
int largestChannelDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

class Window : public rt::FormWithDesign<Design> {
  public:
    Window() : FormWithDesign("Controls") {}
    using FormWithDesign::d;
};

TEST(PictureBox, ClsGivesBackColourWithThePictureAtTheTopLeft) {
    Window window;
    auto& box = window.d().box;
    box.setBackColor(0x0000FF); // red, as 0x00BBGGRR
    box.setPicture(fixtures::solidPicture(5, 4, qRgb(0, 255, 0)));
    box.Cls();
    EXPECT_EQ(box.image().size(), QSize(20, 20));
    EXPECT_EQ(box.image().pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(box.image().pixel(4, 3), qRgb(0, 255, 0));
    EXPECT_EQ(box.image().pixel(5, 3), qRgb(255, 0, 0));
    EXPECT_EQ(box.image().pixel(19, 19), qRgb(255, 0, 0));
}

TEST(PictureBox, AutoSizeTakesThePictureSizeInTheContainersUnit) {
    Window window;
    auto& box = window.d().box;
    box.setPicture(fixtures::solidPicture(9, 11, qRgb(1, 2, 3)));
    box.setAutoSize(true);
    EXPECT_DOUBLE_EQ(box.Width(), 9 * 15);
    EXPECT_DOUBLE_EQ(box.Height(), 11 * 15);
    box.setAutoSize(false);
    box.setPicture(fixtures::solidPicture(27, 14, qRgb(1, 2, 3)));
    EXPECT_DOUBLE_EQ(box.Width(), 9 * 15);
}

TEST(PictureBox, PersistentImageKeepsDrawingsAcrossAGrowingResize) {
    Window window;
    auto& box = window.d().box;
    box.setBackColor(0);
    QImage& image = const_cast<QImage&>(box.image());
    image.setPixel(1, 1, qRgb(9, 9, 9));
    box.Move(0, 0, 600, 600);
    EXPECT_EQ(box.image().size(), QSize(40, 40));
    EXPECT_EQ(box.image().pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(box.image().pixel(39, 39), qRgb(0, 0, 0));
}

TEST(Label, AutoSizeFollowsTheCaption) {
    Window window;
    auto& label = window.d().label;
    label.setAutoSize(true);
    label.setCaption("  >>>> short <<<< ");
    const double shortWidth = label.Width();
    label.setCaption("  >>>> a much longer title of a song -- 03:12 <<<< ");
    EXPECT_GT(label.Width(), shortWidth);
    EXPECT_GT(label.Height(), 0);
}

// A label lays its text out once per caption, and paints what a plain-text QLabel paints (to within a step
// of a colour channel: the text is blended from a picture of it).
TEST(Label, PaintsLikeAPlainTextLabelAndLaysOutOncePerCaption) {
    for (const Qt::Alignment horizontal : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight}) {
        rt::TextLabel ours(nullptr);
        QLabel theirs;
        theirs.setTextFormat(Qt::PlainText);
        for (QWidget* label : {static_cast<QWidget*>(&ours), static_cast<QWidget*>(&theirs)}) {
            label->setFont(rt::qFontOf({"MS Sans Serif", 8.25, true}));
            QPalette palette = label->palette();
            palette.setColor(QPalette::WindowText, QColor(200, 230, 120));
            palette.setColor(QPalette::Window, QColor(20, 30, 40));
            label->setPalette(palette);
            label->setAutoFillBackground(true);
            label->resize(160, 20);
        }
        ours.setAlignment(horizontal | Qt::AlignTop);
        theirs.setAlignment(horizontal | Qt::AlignTop);
        ours.setText("  >>>> Take 1.wav -- 02:05 <<<< ");
        theirs.setText(ours.text());
        const QImage ourPixels = ours.grab().toImage();
        const QImage theirPixels = theirs.grab().toImage();
        ASSERT_EQ(ourPixels.size(), theirPixels.size());
        EXPECT_LE(largestChannelDifference(ourPixels, theirPixels), 1) << int(horizontal);
        ours.setPalette(theirs.palette());
        ours.setText("  >>>> Take 2.wav -- 01:00 <<<< ");
        theirs.setText(ours.text());
        EXPECT_LE(largestChannelDifference(ours.grab().toImage(), theirs.grab().toImage()), 1)
            << "a new caption is drawn afresh";
        ours.setText("  >>>> Take 1.wav -- 02:05 <<<< ");
        theirs.setText(ours.text());
        const int layouts = ours.layouts();
        ours.grab();
        ours.setText(ours.text());
        EXPECT_EQ(ours.layouts(), layouts) << "painting again or the same caption lays nothing out";
        ours.setText("00:05");
        EXPECT_EQ(ours.layouts(), layouts + 1);
    }
}

// A label reaching past its container's sides glides without its widget moving; it shows where it lies,
// and where the pointer is off its text the container answers.
TEST(Label, ALabelReachingPastItsContainerMovesItsTextNotItsWidget) {
    Window window;
    window.Show();
    auto& title = window.d().title;
    QWidget* widget = title.widget();
    const QRect before = widget->geometry();
    EXPECT_EQ(before, QRect(0, 2, 100, 14)) << "the widget spans the strip";
    title.setLeft(-40);
    EXPECT_EQ(widget->geometry(), before);
    EXPECT_EQ(title.textPixels(), QRect(-40, 2, 300, 14));
    title.setLeft(120);
    EXPECT_EQ(title.textPixels().x(), 120);
    EXPECT_EQ(widget->geometry(), before) << "entirely outside, it still moves no widget";
    title.setLeft(20);
    title.setWidth(50);
    EXPECT_EQ(widget->geometry(), QRect(20, 2, 50, 14)) << "inside its container it is its own size";

    title.setLeft(30);
    title.setWidth(300);
    QWidget* strip = window.d().strip.widget();
    EXPECT_EQ(strip->childAt(5, 8), widget);
    int clicks = 0;
    int stripPresses = 0;
    title.onClick = [&] { ++clicks; };
    window.d().strip.onMouseDown = [&](std::int16_t&, std::int16_t&, float&, float&) { ++stripPresses; };
    const auto click = [&](int x) {
        const QPoint at(x, 8);
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    };
    click(5);
    EXPECT_EQ(stripPresses, 1) << "off the text, the strip's";
    EXPECT_EQ(clicks, 0);
    click(50);
    EXPECT_EQ(stripPresses, 1);
    EXPECT_EQ(clicks, 1);
}

// A see-through label alone on a picture box paints the picture behind itself: the box looks the same
// as when the box paints it, wherever the label lies; a widget put on the box shows through again.
TEST(Label, ALabelAloneOnAPictureBoxShowsThePictureBehindItExactly) {
    Window window;
    window.Show();
    auto& strip = window.d().strip;
    auto& title = window.d().title;
    QImage gradient(100, 20, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y)
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(2 * x, 10 * y, 255 - 2 * x));
    strip.setPicture(fixtures::pictureOf(gradient));
    strip.Cls();
    const auto looks = [&] {
        std::vector<QImage> shots;
        for (const float left : {-40.0F, 3.0F, 20.0F}) {
            title.setLeft(left);
            shots.push_back(strip.widget()->grab().toImage());
        }
        return shots;
    };
    EXPECT_TRUE(title.widget()->testAttribute(Qt::WA_OpaquePaintEvent)) << "alone: it paints the picture";
    const std::vector<QImage> alone = looks();

    auto* beneath = new QWidget(strip.widget());
    beneath->setGeometry(0, 0, 100, 20);
    beneath->setStyleSheet("background: rgb(255, 0, 0)");
    beneath->setAttribute(Qt::WA_StyledBackground);
    beneath->show();
    beneath->lower();
    EXPECT_FALSE(title.widget()->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(strip.widget()->grab().toImage().pixel(99, 19), qRgb(255, 0, 0)) << "what lies beneath shows";
    beneath->hide();
    const std::vector<QImage> shared = looks();
    for (std::size_t shot = 0; shot < alone.size(); ++shot)
        EXPECT_EQ(alone[shot], shared[shot]) << "place " << shot;
    delete beneath;
    EXPECT_TRUE(title.widget()->testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST(ListBox, ScrollsSidewaysOverTheExtentItWasGiven) {
    Window window;
    window.Show();
    auto& list = window.d().list;
    list.AddItem("C:\\a.wav");
    auto* widget = static_cast<QListWidget*>(list.widget());
    const int viewport = widget->viewport()->width();
    widget->setProperty("horizontalExtent", viewport + 250);
    EXPECT_EQ(list.horizontalExtent(), viewport + 250);
    EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 250);
    widget->setProperty("horizontalExtent", 0);
    EXPECT_EQ(widget->horizontalScrollBar()->maximum(), 0);
}

TEST(ListBox, ChoosingAnEntryFromCodeRaisesClickOnce) {
    Window window;
    auto& list = window.d().list;
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.AddItem("one");
    list.AddItem("two");
    list.setListIndex(1);
    list.setListIndex(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.List(list.ListIndex()), "two");
    list.Clear();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);
}

} // namespace
