#pragma once
// Windows of the system: one instance per window class for the whole process. The first touch loads the
// window from its design, hidden, and runs its load handler; Unload destroys the window and its controls
// but keeps the instance's own fields; the next touch loads it again.
#include "platform/runtime/Controls.h"

#include <cstdint>
#include <memory>

class QWidget;

namespace rt {

class FormWidget;

class Form : public Container {
  public:
    explicit Form(String caption);
    ~Form() override;

    // The touch: loads the window if it is not loaded.
    void load();
    bool isLoaded() const { return loaded_; }
    // Destroys the window and its controls. While a handler is running they live on, hidden, until the
    // outermost handler returns.
    void Unload();
    static void unloadAll();

    QWidget* containerWidget() const override;
    int ScaleMode() const override { return scaleMode_; }
    void setScaleMode(int mode) { scaleMode_ = mode; }
    double ScaleWidth();
    double ScaleHeight();
    win::HWND hWnd();
    win::HDC hDC();

    // Place and size in twips.
    int Left();
    int Top();
    int Width();
    int Height();
    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    bool Visible();
    void setVisible(bool visible);
    void Show();
    void Hide();
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState();
    void setWindowState(int state);
    // Fails with error 5 when the window is not visible, as the runtime's SetFocus does.
    void SetFocus();
    // 0 to the front, 1 to the back.
    void ZOrder(int position = 0);
    String Caption();
    void setCaption(const String& caption);

    // The skin picture and the colour behind it.
    const Picture& picture();
    void setPicture(const Picture& picture);
    void setBackColor(std::int32_t colour);
    void setIcon(const Picture& icon);
    // 2 centres the window on the screen when it is first shown after a load, unless it was placed before.
    void setStartUpPosition(int position) { startUpPosition_ = position; }
    void setKeyPreview(bool preview) { keyPreview_ = preview; }
    bool KeyPreview() const { return keyPreview_; }
    void setAcceptsDrops(bool accept);
    // The window's font: its device context measures text in it. Unlike a Qt widget's font it does not
    // spread to the window's controls, which keep their own.
    String FontName();
    void setFontName(const String& name);
    double FontSize();
    void setFontSize(double points);
    bool FontBold();
    void setFontBold(bool bold);
    bool FontItalic();
    void setFontItalic(bool italic);
    bool FontUnderline();
    void setFontUnderline(bool underline);

    // Handlers the platform calls (public so that the widget and tests can reach them).
    void keyDown(std::int16_t& keyCode, std::int16_t& shift) { Form_KeyDown(keyCode, shift); }
    void mouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
        Form_MouseDown(button, shift, x, y);
    }
    void dblClick() { Form_DblClick(); }
    void dropped(shell::DropData& data, std::int32_t& effect, std::int16_t& button, std::int16_t& shift,
                 float& x, float& y) {
        Form_OLEDragDrop(data, effect, button, shift, x, y);
    }
    // The window system asked the window to close.
    virtual void closeRequested() { Unload(); }

  protected:
    // Builds the controls of the design, in design order. The result is kept until the window unloads.
    virtual std::shared_ptr<void> createDesign() = 0;
    virtual void Form_Load() {}
    virtual void Form_KeyDown(std::int16_t&, std::int16_t&) {}
    virtual void Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {}
    virtual void Form_DblClick() {}
    virtual void Form_OLEDragDrop(shell::DropData&, std::int32_t&, std::int16_t&, std::int16_t&, float&,
                                  float&) {}
    // Called when the design is dropped, so the subclass forgets its pointer to it.
    virtual void designDropped() {}

  private:
    void rebuildSurface();
    void setFont(const FontSpec& font);
    // One font property set, the others kept (loads the form).
    template <class Value> void setFontProperty(Value FontSpec::*property, Value value);
    FormWidget* widget();

    String caption_;
    bool loaded_ = false;
    int scaleMode_ = kScaleTwips;
    std::unique_ptr<FormWidget> widget_;
    std::shared_ptr<void> design_;
    Picture picture_;
    Picture icon_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x8000000F);
    bool keyPreview_ = false;
    int startUpPosition_ = 0;
    bool placedSinceLoad_ = false;
    bool acceptsDrops_ = false;
    FontSpec font_;
    QFont measuringFont_;
    // What was last set, in twips, so a value reads back as written while the window stays put.
    int left_ = 0, top_ = 0;
    win::HWND hWnd_ = 0;
    win::HDC hDC_ = 0;
};

// A window class with its design: `d()` is the touch that loads the window and gives its controls.
template <class Design> class FormWithDesign : public Form {
  public:
    using Form::Form;

  protected:
    Design& d() {
        load();
        return *design_;
    }
    std::shared_ptr<void> createDesign() override {
        auto design = std::make_shared<Design>(*this);
        design_ = design.get();
        return design;
    }
    void designDropped() override { design_ = nullptr; }

  private:
    Design* design_ = nullptr;
};

// The runtime's virtual-key code of a key (32 Space, 35 End, 107 keypad +, 109 keypad -, ...).
std::int16_t virtualKeyOf(int qtKey, bool keypad);

} // namespace rt
