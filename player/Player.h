#pragma once
// The main window: transport, seek bar and volume fader, the scrolling title, time, volume and bit-rate
// read-outs, the buttons that open the companion windows, and the docking of those windows.
#include "controls/Button.h"
#include "controls/Slider.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/Timer.h"
#include "platform/shell/OpenFileDialog.h"
#include "platform/shell/ProgressBar.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <utility>

namespace player {

// The controls of the main window in design order (front to back).
struct PlayerDesign {
    explicit PlayerDesign(rt::Form& window);

    controls::Button Abaut;
    rt::shell::CommonDialog FileList;
    rt::shell::ProgressBar XP_ProgressBar1;
    rt::PictureBox PictureLD;
    rt::Label LabelDisplay;
    rt::Timer TimerDisplay;
    rt::PictureBox Picture2;
    rt::Label LabelVol;
    controls::Button Open;
    controls::Button PL;
    rt::PictureBox Picture1;
    rt::Label LabelTime;
    controls::Button SAtoggle1;
    rt::Timer TimerTime;
    controls::Slider SliderTime;
    controls::Slider SliderVol;
    rt::ControlArray<controls::Button, 3> Control;
    controls::Button Info;
    controls::Button cmdMinimizar;
    controls::Button Close;
    rt::Label mp3Baud;
};

// Docking offsets of the companion windows, in twips from the main window's left and top.
struct DockOffset {
    int left;
    int top;
};
inline constexpr DockOffset kDockSA{10, -5100};
inline constexpr DockOffset kDockPlayList{-825, 1250};
inline constexpr DockOffset kDockPlayListDoubleClick{0, 2050};
inline constexpr DockOffset kDockInfoFile{3280, 2100};
inline constexpr DockOffset kDockAcerca{-3000, 1200};

// The title display's start place, in twips from its strip's left edge.
inline constexpr float kTitleStartTwips = 100;

class Player : public rt::FormWithDesign<PlayerDesign> {
  public:
    Player();
    // The controls: touching them loads the window.
    using FormWithDesign::d;

    // Public fields.
    std::int16_t PosX = 0;
    std::int16_t PosY = 0;
    rt::String InfoTexto;

    void Form_DblClick() override;

    // Transport and playback timing.
    void Control_Click(std::int16_t Index);
    void SongTime();

    // Seek and volume.
    void SliderTime_Change(std::int32_t& Value);
    void SliderTime_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void SliderVol_Change(std::int32_t& Value);
    void Vol(std::int32_t Value);

    // Opening files.
    void Open_Click();

    // Companion-window toggles.
    void PL_Click();
    void SAtoggle1_Click();

    // File information and the about window.
    void Info_Click();
    void InfoMp3(const rt::String& path);
    void InfoWav(const rt::String& path);
    rt::String UnSpace(const rt::String& exp);
    void Abaut_Click();

    // The key handler of the main window, which the spectrum window shares.
    void keyDown(std::int16_t& KeyCode, std::int16_t& Shift);

  protected:
    void Form_Load() override;
    void Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;
    void Form_OLEDragDrop(rt::shell::DropData& Data, std::int32_t& Effect, std::int16_t& Button,
                          std::int16_t& Shift, float& X, float& Y) override;
    void closeRequested() override;

  private:
    void wireEvents();
    // The transport's stopped look, with nothing asked of the engine.
    void showStopped();
    void TimerTime_Timer();
    void TimerDisplay_Timer();
    bool titleTickShowsNothing();
    bool positionTickShowsNothing();
    void cmdMinimizar_Click();
    void Close_Click();
    void redockAfterMove();
    void ToggleSA();
    void ToggleSADock();
    std::int16_t wholeSecondsOf(double duration);

    // What the title's caption was last made of, and the caption.
    struct TitleSource {
        rt::String url, name, durationString;
        bool operator==(const TitleSource&) const = default;
    };
    TitleSource titleSource_;
    rt::String titleCaption_;
    // The last duration converted to whole seconds, and its seconds.
    std::optional<std::pair<double, std::int16_t>> convertedDuration_;
    // The position the last position tick showed, and when.
    struct ShownPosition {
        double seconds;
        std::chrono::steady_clock::time_point at;
    };
    std::optional<ShownPosition> shownPosition_;
};

// Space, End and the keypad's + and -: the keys the main window's key handler acts on.
bool isPlayerKey(std::int16_t KeyCode);

// The main window's one instance.
Player& player();

} // namespace player
