#pragma once
// The surface that picture-drawn controls are built on: a windowed control with a persistent image, its
// own mouse reports, a background colour and picture, and a property bag that the window design loads.
#include "platform/runtime/Controls.h"
#include "platform/runtime/Timer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rt {

class PropertyBag;

class UserControl : public Control, public Container {
  public:
    ~UserControl() override;

    QWidget* containerWidget() const override { return widget(); }
    int ScaleMode() const override { return kScalePixels; }
    // The inner size in pixels.
    float ScaleWidth() const;
    float ScaleHeight() const;
    // The control's own extent in twips (what it sees as its Width and Height).
    int extentWidthTwips() const;
    int extentHeightTwips() const;
    void setExtentTwips(int width, int height);

    win::HWND hWnd() const { return hWnd_; }
    win::HDC hDC() const { return hDC_; }

    // Surface properties.
    std::int32_t BackColor() const { return backColor_; }
    void setBackColor(std::int32_t colour) { backColor_ = colour; }
    const Picture& surfacePicture() const { return picture_; }
    void setSurfacePicture(const Picture& picture) { picture_ = picture; }
    std::int32_t MaskColor() const { return maskColor_; }
    void setMaskColor(std::int32_t colour) { maskColor_ = colour; }
    std::int16_t MousePointer() const { return mousePointer_; }
    void setMousePointer(std::int16_t pointer) { mousePointer_ = pointer; }
    const Picture& MouseIcon() const { return mouseIcon_; }
    void setMouseIconPicture(const Picture& icon) { mouseIcon_ = icon; }
    std::int32_t AmbientBackColor() const { return static_cast<std::int32_t>(0x8000000F); }

    // The persistent image: while on, drawing goes to it; it is what every repaint shows.
    void setAutoRedraw(bool on) { autoRedraw_ = on; }
    bool AutoRedraw() const { return autoRedraw_; }
    // Clears the image to the background colour with the background picture at the top-left corner.
    void Cls();
    // Paints a picture at its natural size.
    void PaintPicture(const Picture& picture, double x, double y);
    const QImage& image() const { return image_; }
    // The surface's image went to the screen.
    void repaint();

    // Tells the host that the saved properties are out of date.
    void PropertyChanged(const String& name);
    // The latest reports, oldest first: only the last few are kept, as timers report many times a second.
    static constexpr std::size_t kKeptChangeReports = 32;
    const std::vector<String>& changeReports() const { return changeReports_; }

    // The host's steps for a placed instance: size from the bag's extent, read the properties, then the place
    // of the design (the stored size is the one in force after loading).
    void loadDesign(double left, double top, double width, double height, const PropertyBag& bag);
    // The host's save: its own extent entries, then the control's.
    void saveDesign(PropertyBag& bag);

    // Handlers the host calls.
    virtual void UserControl_Initialize() {}
    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(const PropertyBag&) {}
    virtual void UserControl_WriteProperties(PropertyBag&) {}
    virtual void UserControl_Resize() {}
    virtual void UserControl_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {}
    virtual void UserControl_MouseMove(std::int16_t&, std::int16_t&, float&, float&) {}
    virtual void UserControl_MouseUp(std::int16_t&, std::int16_t&, float&, float&) {}
    virtual void UserControl_DblClick() {}

  protected:
    explicit UserControl(Container& parent);
    void resized() override;

  private:
    void rebuildImage();
    QImage image_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000F);
    std::int32_t maskColor_ = static_cast<std::int32_t>(0x8000000F);
    std::int16_t mousePointer_ = 0;
    Picture picture_;
    Picture mouseIcon_;
    bool autoRedraw_ = false;
    std::vector<String> changeReports_;
    win::HWND hWnd_ = 0;
    win::HDC hDC_ = 0;
};

} // namespace rt
