#pragma once
// The windowing runtime's intrinsic controls and the containers that hold them. Places and sizes are in
// the container's scale unit (twips or pixels); colours are 0x00BBGGRR values, system colours included.
#include "platform/base/Picture.h"
#include "platform/base/Text.h"
#include "platform/win/Handles.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QLabel;
class QPlainTextEdit;
class QCheckBox;

namespace rt {

namespace shell {
class DropData;
}

enum ScaleModeValue : int { kScaleTwips = 1, kScalePixels = 3 };
constexpr int kTwipsPerPixel = 15;

class Control;
class TextLabel;

// Mouse report arguments, by reference as the handlers receive them.
using MouseHandler = std::function<void(std::int16_t& button, std::int16_t& shift, float& x, float& y)>;
using DropHandler = std::function<void(shell::DropData& data, std::int32_t& effect, std::int16_t& button,
                                       std::int16_t& shift, float& x, float& y)>;

// Something that holds controls and measures them in its own unit.
class Container {
  public:
    virtual ~Container();
    virtual QWidget* containerWidget() const = 0;
    virtual int ScaleMode() const = 0;

    double toPixels(double value) const;
    double fromPixels(double pixels) const;

    // Design order is front-to-back order: the first windowed control lies in front; windowless controls
    // (labels, images, shapes) are painted on the container, behind every windowed one.
    void stackInDesignOrder();
    const std::vector<Control*>& controls() const { return controls_; }

  private:
    friend class Control;
    std::vector<Control*> controls_;
};

class Control {
  public:
    enum class Kind { Windowed, Windowless };

    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void setLeft(double value);
    void setTop(double value);
    void setWidth(double value);
    void setHeight(double value);
    void Move(double left, double top, double width, double height);

    bool Visible() const;
    void setVisible(bool visible);
    // 0 brings the control to the front of its container, 1 sends it to the back.
    void ZOrder(int position = 0);
    String ToolTipText() const;
    void setToolTipText(const String& text);
    // The name screen readers and desktop automation know the control by (otherwise its tooltip).
    void setAccessibleName(const String& name);
    // Gives the control the keyboard focus; error 5 when it or its window is not visible.
    void SetFocus();

    Kind kind() const { return kind_; }
    Container& container() const { return parent_; }
    // A place or size in the container's unit as the pixel the control is shown at.
    int pixelsOf(double value) const;
    QWidget* widget() const { return widget_; }

  protected:
    Control(Container& parent, Kind kind);
    // The widget that shows the control; it becomes a child of the container's widget.
    void attachWidget(QWidget* widget);
    // Called after the size changed (in any way).
    virtual void resized() {}
    // The control's size in pixels.
    QSize pixelSize() const;
    // Geometry as set by the control itself (auto-size), without reentering resized().
    void setSizeFromContent(double width, double height);
    // Shows the widget over `place`, the control's whole rectangle in its container's pixels.
    virtual void showWidgetAt(const QRect& place);
    void placeWidget();

  private:
    Container& parent_;
    Kind kind_;
    QPointer<QWidget> widget_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

struct FontSpec {
    String name = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const FontSpec&) const = default;
};

class Label : public Control {
  public:
    enum Alignment { kLeftJustify = 0, kRightJustify = 1, kCenter = 2 };
    enum BackStyleValue { kTransparent = 0, kOpaque = 1 };

    explicit Label(Container& parent);

    String Caption() const { return caption_; }
    void setCaption(const String& caption);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);
    int BackStyle() const { return backStyle_; }
    void setBackStyle(int style);
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour);
    std::int32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::int32_t colour);
    int Alignment() const { return alignment_; }
    void setAlignment(int alignment);
    void setFont(const FontSpec& font);
    // Where the whole label lies in its container's pixels; its widget shows only the part inside.
    QRect textPixels() const;

    std::function<void()> onClick;

  protected:
    void showWidgetAt(const QRect& place) override;

  private:
    void applyLook();
    void fitToCaption();
    const QImage* backdrop() const;
    TextLabel* label_;
    String caption_;
    bool autoSize_ = false;
    int backStyle_ = kOpaque;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000F);
    std::int32_t foreColor_ = static_cast<std::int32_t>(0x80000012);
    int alignment_ = kLeftJustify;
};

// A surface with a persistent off-screen image (what its device context draws into).
class PictureBox : public Control, public Container {
  public:
    explicit PictureBox(Container& parent);
    ~PictureBox() override;

    QWidget* containerWidget() const override { return widget(); }
    int ScaleMode() const override { return scaleMode_; }
    void setScaleMode(int mode) { scaleMode_ = mode; }
    double ScaleWidth() const;
    double ScaleHeight() const;

    const Picture& picture() const { return picture_; }
    void setPicture(const Picture& picture);
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);
    bool AutoRedraw() const { return autoRedraw_; }
    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    const Picture& MouseIcon() const { return mouseIcon_; }
    void setMouseIcon(const Picture& icon);

    win::HWND hWnd() const { return hWnd_; }
    win::HDC hDC() const { return hDC_; }
    // The image becomes the back colour with the picture at the top-left corner.
    void Cls();
    // The image goes to the screen.
    void Refresh();
    const QImage& image() const { return image_; }

    MouseHandler onMouseDown, onMouseMove, onMouseUp;
    std::function<void()> onClick, onDblClick;

  protected:
    void resized() override;

  private:
    void sizeToPicture();
    void rebuildImage();
    QImage image_;
    Picture picture_ = PictureObject::empty();
    Picture mouseIcon_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000F);
    bool autoSize_ = false;
    bool autoRedraw_ = true;
    int scaleMode_ = kScaleTwips;
    win::HWND hWnd_ = 0;
    win::HDC hDC_ = 0;
};

// A picture painted on its container.
class Image : public Control {
  public:
    explicit Image(Container& parent);
    const Picture& picture() const { return picture_; }
    void setPicture(const Picture& picture);

    std::function<void()> onClick;

  private:
    QLabel* label_;
    Picture picture_;
};

// A filled rectangle painted on its container.
class Shape : public Control {
  public:
    explicit Shape(Container& parent);
    std::int32_t FillColor() const { return fillColor_; }
    void setFillColor(std::int32_t colour);

  private:
    std::int32_t fillColor_ = 0;
};

class TextBox : public Control {
  public:
    explicit TextBox(Container& parent);
    String Text() const;
    void setText(const String& text);
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour);
    std::int32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::int32_t colour);
    void setLocked(bool locked);
    void setFont(const FontSpec& font);
    // Where the whole label lies in its container's pixels; its widget shows only the part inside.
    QRect textPixels() const;

    std::function<void()> onClick;

  private:
    void applyColours();
    QPlainTextEdit* edit_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x80000005);
    std::int32_t foreColor_ = static_cast<std::int32_t>(0x80000008);
};

class ListBox : public Control {
  public:
    explicit ListBox(Container& parent);

    void AddItem(const String& item);
    void Clear();
    int ListCount() const;
    String List(int index) const;
    int ListIndex() const;
    void setListIndex(int index);
    void setFont(const FontSpec& font);
    // The font properties, as a text measurement hands them to another window.
    String FontName() const { return font_.name; }
    double FontSize() const { return font_.points; }
    bool FontBold() const { return font_.bold; }
    bool FontItalic() const { return font_.italic; }
    bool FontUnderline() const { return font_.underline; }
    void setColours(std::int32_t back, std::int32_t fore);
    // The width, in pixels, that the list scrolls sideways over.
    int horizontalExtent() const;
    win::HWND hWnd() const { return hWnd_; }
    // Accept dropped file lists (OLEDropMode manual).
    void setAcceptsDrops(bool accept);

    std::function<void()> onClick;
    DropHandler onOLEDragDrop;

  private:
    win::HWND hWnd_ = 0;
    FontSpec font_;
};

class CheckBox : public Control {
  public:
    explicit CheckBox(Container& parent);
    String Caption() const;
    void setCaption(const String& caption);
    int Value() const;
    void setValue(int value);
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour);
    std::int32_t ForeColor() const { return foreColor_; }
    void setForeColor(std::int32_t colour);
    std::function<void()> onClick;

  private:
    void applyColours();
    QCheckBox* box_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000F);
    std::int32_t foreColor_ = static_cast<std::int32_t>(0x80000012);
};

// A control array: members 0..N-1 of one kind, created in order on one container (`Control(0)`).
template <class T, int N> class ControlArray {
  public:
    explicit ControlArray(Container& parent) {
        for (auto& item : items_)
            item = std::make_unique<T>(parent);
    }
    T& operator()(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    static constexpr int size() { return N; }

  private:
    std::array<std::unique_ptr<T>, N> items_;
};

// Colour value (0x00BBGGRR, or a system colour with the top bit set) to a colour to paint with.
QRgb rgbOf(std::int32_t colour);
// The font the runtime shows for a font description.
QFont qFontOf(const FontSpec& font);

} // namespace rt
