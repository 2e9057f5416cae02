// The playlist's sideways scroll range from the measured widths of its lines.
#include "platform/win/Gdi.h"
#include "playlist/ListWidth.h"
#include "tests/playlist/ScannerFixture.h"

#include <QFontMetrics>
#include <optional>

namespace playlist_test {
namespace {

class ListWidthTest : public ScannerTest {
  protected:
    // The width the list's window measures a text at, in the list's font.
    static std::int32_t measured(const QString& text) {
        std::int32_t cx = 0, cy = 0;
        return playlist::TextExtent(list(), text, cx, cy);
    }

    // A text measuring exactly `pixels`: runs of two characters whose advances add up to it.
    static std::optional<QString> textOfWidth(std::int32_t pixels) {
        const QString characters = QStringLiteral("il.1tfjrI:aeoWM");
        for (const QChar narrow : characters)
            for (const QChar wide : characters)
                for (int wides = 0; wides <= 40; ++wides)
                    for (int narrows = 0; narrows <= 60; ++narrows) {
                        const QString text = QString(wides, wide) + QString(narrows, narrow);
                        const std::int32_t width = measured(text);
                        if (width == pixels)
                            return text;
                        if (width > pixels)
                            break;
                    }
        return std::nullopt;
    }

    // Fills the list with texts of the given widths and sets its extent.
    static std::int32_t extentFor(std::initializer_list<std::int32_t> widths) {
        list().Clear();
        for (const std::int32_t width : widths) {
            const std::optional<QString> text = textOfWidth(width);
            if (!text)
                ADD_FAILURE() << "no text measures " << width << " pixels";
            list().AddItem(text.value_or(QString()));
        }
        playlist::SetListHScroll(list());
        EXPECT_EQ(list().horizontalExtent(), playlist::AnchoLista);
        return playlist::AnchoLista;
    }
};

TEST_F(ListWidthTest, ExtentFollowsTheWidestLinesWithTheirMargins) {
    EXPECT_EQ(extentFor({100}), 110);
    EXPECT_EQ(extentFor({100, 105, 112}), 125); // 122 is not more than 125
    EXPECT_EQ(extentFor({100, 108}), 128);
    EXPECT_EQ(extentFor({100, 95}), 110);
}

TEST_F(ListWidthTest, MeasuresInTheListsFontOnItsWindow) {
    const QString text = QStringLiteral("D:\\Audio\\Take 1.wav");
    std::int32_t cx = -5, cy = -5;
    const std::int32_t width = playlist::TextExtent(list(), text, cx, cy);
    // The list shows its own font: a DC of the list measures what is drawn.
    rt::win::Size drawn;
    const rt::win::HDC listDc = rt::win::GetDC(list().hWnd());
    ASSERT_TRUE(rt::win::GetTextExtentPoint32A(listDc, text, int(text.size()), drawn));
    rt::win::ReleaseDC(list().hWnd(), listDc);
    EXPECT_EQ(width, drawn.cx);
    EXPECT_EQ(cx, width + 10);
    EXPECT_EQ(cy, drawn.cy);
    EXPECT_GT(width, 50);
    // The window took the list's font, property by property.
    EXPECT_EQ(window().FontName(), list().FontName());
    EXPECT_EQ(window().FontSize(), list().FontSize());
    EXPECT_EQ(window().FontBold(), list().FontBold());

    // A bold, larger list font measures wider.
    list().setFont({QStringLiteral("MS Sans Serif"), 12, true, true, true});
    EXPECT_GT(measured(text), width);
    EXPECT_TRUE(window().FontItalic());
    EXPECT_TRUE(window().FontUnderline());
}

TEST_F(ListWidthTest, WindowFontDoesNotSpreadToItsControls) {
    const QFont listFont = list().widget()->font();
    const QFont labelFont = window().d().Label1.widget()->font();
    const rt::win::HDC dc = window().hDC();
    rt::win::Size before, after;
    rt::win::GetTextExtentPoint32A(dc, QStringLiteral("abcdef"), 6, before);
    window().setFontSize(24);
    window().setFontBold(true);
    rt::win::GetTextExtentPoint32A(dc, QStringLiteral("abcdef"), 6, after);
    EXPECT_GT(after.cx, before.cx) << "the window's DC measures in the window's font";
    EXPECT_EQ(list().widget()->font(), listFont);
    EXPECT_EQ(window().d().Label1.widget()->font(), labelFont);
}

TEST_F(ListWidthTest, LinesPastThe16BitRangeAreMeasured) {
    list().Clear();
    for (int i = 0; i < 40000; ++i)
        list().AddItem(QStringLiteral("a"));
    const QString widest = QStringLiteral("D:\\Audio\\el archivo mas ancho de todos.wav");
    list().AddItem(widest);
    playlist::SetListHScroll(list());
    EXPECT_EQ(playlist::AnchoLista, measured(widest) + 20);
}

TEST_F(ListWidthTest, EmptyListGetsTheMarginAlone) {
    list().Clear();
    playlist::SetListHScroll(list());
    EXPECT_EQ(playlist::AnchoLista, 10);
}

} // namespace
} // namespace playlist_test
