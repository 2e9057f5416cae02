// The intrinsic controls: what the windows rely on beyond Qt's own behaviour.
#include "platform/runtime/ControlWidgets.h"
#include "platform/runtime/Form.h"
#include "tests/support/ControlsHost.h"

#include <QBuffer>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct Design {
    explicit Design(rt::Form& form) : box(form), label(form), list(form) {
        box.setScaleMode(rt::kScalePixels);
        box.Move(0, 0, 300, 300);
        list.Move(0, 600, 1500, 900);
    }
    rt::PictureBox box;
    rt::Label label;
    rt::ListBox list;
};

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

// A label lays its text out once per caption, and paints what a plain-text QLabel paints.
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
        EXPECT_TRUE(ours.grab().toImage() == theirs.grab().toImage()) << int(horizontal);
        const int layouts = ours.layouts();
        ours.grab();
        ours.setText(ours.text());
        EXPECT_EQ(ours.layouts(), layouts) << "painting again or the same caption lays nothing out";
        ours.setText("00:05");
        EXPECT_EQ(ours.layouts(), layouts + 1);
    }
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
