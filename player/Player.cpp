#include "player/Player.h"

#include "controls/RegionFromBitmap.h"
#include "controls/StoredBags.h"
#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/base/Text.h"
#include "platform/runtime/Application.h"
#include "platform/runtime/Numbers.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/InfoFile.h"
#include "player/SA.h"
#include "player/WindowBehaviour.h"
#include "player/WindowDesign.h"
#include "playlist/PlayList.h"

#include <cmath>

namespace player {

namespace {

namespace skin = rt::skin;
using rt::MediaPlayer;

// ---- the design: places in twips ----

constexpr Place kAbautPlace{1530, 1980, 690, 375};
constexpr Place kProgressBarPlace{300, 1125, 3075, 300};
constexpr Place kPictureLDPlace{1440, 630, 1575, 345};
constexpr Place kLabelDisplayPlace{105, 45, 1335, 195};
constexpr Place kPicture2Place{3525, 600, 795, 345};
constexpr Place kLabelVolPlace{75, 45, 615, 195};
constexpr Place kOpenPlace{3015, 2145, 375, 420};
constexpr Place kPLPlace{2565, 2145, 390, 420};
constexpr Place kPicture1Place{765, 630, 2250, 345};
constexpr Place kLabelTimePlace{45, 45, 525, 195};
constexpr Place kSAtoggle1Place{3525, 2115, 405, 435};
constexpr Place kSliderTimePlace{330, 1185, 3000, 160};
constexpr Place kSliderVolPlace{675, 1590, 2655, 210};
// Play and pause lie on the same rectangle: one of them shows at a time.
constexpr Place kPlayPlace{3735, 1110, 1050, 975};
constexpr Place kPausePlace = kPlayPlace;
constexpr Place kStopPlace{4575, 1080, 885, 915};
constexpr Place kInfoPlace{4005, 2115, 795, 330};
constexpr Place kMinimisePlace{2250, 90, 285, 270};
constexpr Place kClosePlace{2550, 90, 285, 270};
constexpr Place kMp3BaudPlace{1335, 360, 540, 255};

// System colours 9 (caption text) and 13 (highlight): what shows before the skin and the strip are drawn.
constexpr std::int32_t kCaptionTextColour = static_cast<std::int32_t>(0x80000009);
constexpr std::int32_t kHighlightColour = static_cast<std::int32_t>(0x8000000D);
constexpr std::int32_t kBitRateBack = 0xBEB8A1;
// The time and volume boxes are a little larger than their strip: the edge it leaves stays dark.
constexpr std::int32_t kStripEdgeColour = 0x000000;
constexpr int kTitleTimerMs = 1;
constexpr int kPositionTimerMs = 25;
const rt::FontSpec kReadoutFont{"MS Sans Serif", 8.25, true};
constexpr std::int32_t kProgressBarColour = 192; // dark red
const rt::FontSpec kProgressBarFont{"MS Sans Serif", 8.25, false};

void placeSlider(controls::Slider& slider, Place at, const rt::PropertyBag& bag, const rt::String& tip) {
    slider.loadDesign(at.left, at.top, at.width, at.height, bag);
    slider.setToolTipText(tip);
}

void placeStrip(rt::PictureBox& strip, Place at, const rt::String& tip = {}) {
    place(strip, at);
    strip.setPicture(rt::PictureObject::fromSkin(skin::kStrip));
    if (!tip.isEmpty())
        strip.setToolTipText(tip);
}

// A read-out on a dark strip: bold light text on the strip's own picture.
void placeReadout(rt::Label& label, Place at, const rt::String& caption, const rt::String& tip) {
    place(label, at);
    label.setFont(kReadoutFont);
    label.setBackStyle(rt::Label::kTransparent);
    label.setForeColor(skin::kReadoutTextColor);
    label.setCaption(caption);
    label.setToolTipText(tip);
}

// ---- numbers of the transport, the title and the volume ----

enum TransportIndex : std::int16_t { kPlay = 0, kPause = 1, kStop = 2 };
enum KeyCode : std::int16_t { kKeySpace = 32, kKeyEnd = 35, kKeyAdd = 107, kKeySubtract = 109 };

constexpr float kTitleStepTwips = 10;
// The title wraps once its right end lies this far left of the strip's left edge.
constexpr float kTitleWrapMarginTwips = 20;
constexpr std::int32_t kStartVolumeLevel = 40;
constexpr std::int16_t kStartLeftTwips = 6960;
constexpr std::int16_t kStartTopTwips = 4900;
constexpr std::int32_t kVolumeZeroDbLevel = 90;
constexpr double kSeekTrackPixels = 200;
constexpr int kSecondsPerMinute = 60;

MediaPlayer& engine() {
    return sa().engine();
}

rt::String elapsedText(std::int16_t seconds) {
    if (seconds >= kSecondsPerMinute)
        return rt::Format(seconds / kSecondsPerMinute, "0#") + ":" +
               rt::Format(seconds % kSecondsPerMinute, "00");
    if (seconds >= 0)
        return "00:" + rt::Format(seconds, "0#");
    return {};
}

bool isMp3Address(const rt::String& url) {
    return rt::LCase(rt::Right(url, 3)) == "mp3";
}

bool statusSaysPlaying(const rt::String& status) {
    return rt::Left(status, 4) == "Play" || rt::Left(status, 4) == "Repr";
}

// The three characters two places after the status's first colon ("Reproduciendo: 128 Kbps" -> "128").
rt::String bitRateOf(const rt::String& status) {
    return rt::Mid(status, rt::InStr(1, status, ":") + 2, 3);
}

void stepVolume(Player& window, std::int32_t step) {
    controls::Slider& fader = window.d().SliderVol;
    fader.setValue(rt::add32(fader.Value(), step));
    window.Vol(fader.Value());
}

// ---- docking ----

void dock(rt::Form& window, DockOffset offset) {
    Player& main = player();
    window.setLeft(main.Left() + offset.left);
    window.setTop(main.Top() + offset.top);
}

void dockSkippingFailures(rt::Form& window, DockOffset offset) {
    rt::skipOnError([&] { window.setLeft(player().Left() + offset.left); });
    rt::skipOnError([&] { window.setTop(player().Top() + offset.top); });
}

void focusAndRaiseSkippingFailures(rt::Form& window) {
    rt::skipOnError([&] { window.SetFocus(); });
    rt::skipOnError([&] { window.ZOrder(); });
}

// The six steps both companion toggles share.
void toggleCompanion(Player& main, rt::Form& window, DockOffset offset) {
    if (window.WindowState() == kMinimised)
        window.setWindowState(kNormal);
    window.setVisible(!window.Visible());
    if (!window.Visible())
        return;
    main.Vol(main.d().SliderVol.Value());
    dock(window, offset);
    main.SetFocus();
    main.ZOrder();
}

} // namespace

PlayerDesign::PlayerDesign(rt::Form& window)
    : Abaut(window), XP_ProgressBar1(window), PictureLD(window), LabelDisplay(PictureLD),
      TimerDisplay(kTitleTimerMs, true), Picture2(window), LabelVol(Picture2), Open(window), PL(window),
      Picture1(window), LabelTime(Picture1), SAtoggle1(window), TimerTime(kPositionTimerMs, true),
      SliderTime(window), SliderVol(window), Control(window), Info(window), cmdMinimizar(window),
      Close(window), mp3Baud(window) {
    window.setPicture(rt::PictureObject::fromSkin(skin::kPlayer));
    window.setBackColor(kCaptionTextColour);
    window.setIcon(rt::PictureObject::fromSkin(skin::kPlayerIcon));
    window.setKeyPreview(true);
    window.setAcceptsDrops(true);

    placeButton(Abaut, kAbautPlace, controls::abautBag(), "Acerca de...");
    place(XP_ProgressBar1, kProgressBarPlace);
    XP_ProgressBar1.setColor(kProgressBarColour);
    XP_ProgressBar1.setFont(kProgressBarFont);
    XP_ProgressBar1.setVisible(false);
    placeStrip(PictureLD, kPictureLDPlace, "Tiemp trancurrido");
    PictureLD.setBackColor(kHighlightColour);
    placeReadout(LabelDisplay, kLabelDisplayPlace, "----------------------", "Titulo y duración");
    LabelDisplay.setAutoSize(true);
    placeStrip(Picture2, kPicture2Place);
    Picture2.setBackColor(kStripEdgeColour);
    placeReadout(LabelVol, kLabelVolPlace, "-90 dB", "Nivel volumen");
    LabelVol.setAlignment(rt::Label::kCenter);
    placeButton(Open, kOpenPlace, controls::openBag(), "Abrir archivo de audio");
    placeButton(PL, kPLPlace, controls::plBag(), "Abre/cierra PlayList");
    placeStrip(Picture1, kPicture1Place);
    Picture1.setBackColor(kStripEdgeColour);
    placeReadout(LabelTime, kLabelTimePlace, "00:00", "Tiemp trancurrido");
    placeButton(SAtoggle1, kSAtoggle1Place, controls::saToggleBag(), "Abre/cierra Spectrómetro");
    placeSlider(SliderTime, kSliderTimePlace, controls::sliderTimeBag(),
                "Arrastrar para cambiar posición de audio.");
    placeSlider(SliderVol, kSliderVolPlace, controls::sliderVolBag(),
                "Clic en posición X , o arrastrar fader. Play/Pausa con espacio, Volumen teclas + -");
    placeButton(Control(kPlay), kPlayPlace, controls::controlBag(kPlay), "Play/Pausa");
    Control(kPlay).setVisible(false);
    placeButton(Control(kPause), kPausePlace, controls::controlBag(kPause), "Pausa/Play");
    placeButton(Control(kStop), kStopPlace, controls::controlBag(kStop), "Stop");
    placeButton(Info, kInfoPlace, controls::infoBag());
    placeMinimiseButton(cmdMinimizar, kMinimisePlace);
    placeCloseButton(Close, kClosePlace);
    place(mp3Baud, kMp3BaudPlace);
    mp3Baud.setCaption("Label1");
    mp3Baud.setBackColor(kBitRateBack);
    mp3Baud.setAutoSize(true);
    mp3Baud.setToolTipText("Velocidad en Kilobaudios");
    mp3Baud.setVisible(false);
}

Player::Player() : FormWithDesign("Player") {}

void Player::wireEvents() {
    PlayerDesign& c = d();
    c.Abaut.Click = [this] { Abaut_Click(); };
    c.TimerDisplay.onTimer = [this] { TimerDisplay_Timer(); };
    c.TimerDisplay.nextTickShowsNothing = [this] { return titleTickShowsNothing(); };
    c.TimerTime.nextTickShowsNothing = [this] { return positionTickShowsNothing(); };
    c.Open.Click = [this] { Open_Click(); };
    c.PL.Click = [this] { PL_Click(); };
    c.SAtoggle1.Click = [this] { SAtoggle1_Click(); };
    c.TimerTime.onTimer = [this] { TimerTime_Timer(); };
    c.SliderTime.Change = [this](std::int32_t& value) { SliderTime_Change(value); };
    c.SliderTime.MouseDown = [this](std::int16_t& button, std::int16_t& shift, float& x, float& y) {
        SliderTime_MouseDown(button, shift, x, y);
    };
    c.SliderVol.Change = [this](std::int32_t& value) { SliderVol_Change(value); };
    for (std::int16_t index = 0; index < c.Control.size(); ++index)
        c.Control(index).Click = [this, index] { Control_Click(index); };
    c.Info.Click = [this] { Info_Click(); };
    c.cmdMinimizar.Click = [this] { cmdMinimizar_Click(); };
    c.Close.Click = [this] { Close_Click(); };
}

// ---- start-up and window handling ----

void Player::Form_Load() {
    wireEvents();
    PlayerDesign& c = d();
    c.TimerTime.setEnabled(false);
    sizeToSkin(*this);
    controls::ShapeForm(*this, skin::kBlueKey);
    c.Control(kPlay).setVisible(true);
    c.SliderVol.setValue(kStartVolumeLevel);
    Vol(c.SliderVol.Value());
    c.TimerDisplay.setEnabled(false);
    PosX = kStartLeftTwips;
    PosY = kStartTopTwips;
    makeTopmost(*this);
    setLeft(PosX);
    setTop(PosY);
}

void Player::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) {
    moveByBody(*this);
    if (sa().WindowState() == kMinimised)
        sa().setWindowState(kNormal);
    dock(sa(), kDockSA);
    dock(playlist::playList(), kDockPlayList);
    redockAfterMove();
}

// The companions come to the front in turn, the main window last, so it ends in front with the focus.
void Player::redockAfterMove() {
    if (sa().Visible())
        focusAndRaiseSkippingFailures(sa());
    if (playlist::playList().Visible())
        focusAndRaiseSkippingFailures(playlist::playList());
    if (infoFile().Visible()) {
        dockSkippingFailures(infoFile(), kDockInfoFile);
        focusAndRaiseSkippingFailures(infoFile());
    }
    focusAndRaiseSkippingFailures(*this);
}

void Player::Form_DblClick() {
    if (sa().Visible())
        dockSkippingFailures(sa(), kDockSA);
    if (playlist::playList().Visible())
        dockSkippingFailures(playlist::playList(), kDockPlayListDoubleClick);
}

void Player::cmdMinimizar_Click() {
    setWindowState(kMinimised);
}

void Player::Close_Click() {
    rt::End();
}

void Player::closeRequested() {
    Close_Click();
}

// ---- transport and playback timing ----

void Player::Control_Click(std::int16_t Index) {
    if (engine().URL().isEmpty())
        return;
    PlayerDesign& c = d();
    switch (Index) {
    case kPlay:
        c.TimerTime.setEnabled(true);
        c.TimerDisplay.setEnabled(true);
        c.LabelDisplay.setLeft(kTitleStartTwips);
        engine().controls.play();
        c.Control(kPlay).setVisible(false);
        c.Control(kPause).setVisible(true);
        c.Control(kPause).ZOrder();
        break;
    case kPause:
        engine().controls.pause();
        c.TimerTime.setEnabled(false);
        c.Control(kPlay).setVisible(true);
        c.Control(kPause).setVisible(false);
        c.Control(kPlay).ZOrder();
        break;
    case kStop:
        engine().controls.stop();
        showStopped();
        break;
    default:
        break;
    }
}

// What a stop shows: both timers off, the title back at its start place, Play in front.
void Player::showStopped() {
    PlayerDesign& c = d();
    c.TimerTime.setEnabled(false);
    c.TimerDisplay.setEnabled(false);
    c.LabelDisplay.setLeft(kTitleStartTwips);
    c.Control(kPlay).setVisible(true);
    c.Control(kPause).setVisible(false);
    c.Control(kPlay).ZOrder();
}

void Player::TimerTime_Timer() {
    rt::endSilentlyOnError([this] {
        PlayerDesign& c = d();
        double position = engine().controls.currentPosition();
        c.SliderTime.setValue(rt::CLng(position));
        const std::int16_t duration = wholeSecondsOf(engine().currentMedia().duration);
        // Playing (3) and the states above it leave the transport alone, and so the position just read; a
        // transport that acts (a pause or stop at the end) may move it, so it is read again.
        const bool transportActs = engine().playState() < MediaPlayer::kPlaying;
        SongTime();
        if (duration != 0)
            c.SliderTime.setMax(duration);
        if (transportActs)
            position = engine().controls.currentPosition();
        const std::int16_t elapsed = rt::CInt(rt::Val(rt::Format(position, "###")));
        const rt::String text = elapsedText(elapsed);
        shownPosition_ = {position, std::chrono::steady_clock::now()};
        if (sa().Visible())
            sa().d().LabelTime.setCaption(text);
        c.LabelTime.setCaption(text);
    });
}

// Through the regional text and back: with a decimal comma only the whole seconds survive. A duration the
// engine reported is converted once, not at every tick.
std::int16_t Player::wholeSecondsOf(double duration) {
    if (!convertedDuration_ || convertedDuration_->first != duration)
        convertedDuration_.emplace(duration, rt::CInt(rt::Val(rt::CStr(duration))));
    return convertedDuration_->second;
}

void Player::SongTime() {
    rt::endSilentlyOnError([this] {
        // The engine's state as a transport index: a media that ended (1) pauses, a paused engine (2) stops.
        Control_Click(rt::CInt(engine().playState()));
        PlayerDesign& c = d();
        if (!c.TimerTime.Enabled())
            return;
        if (!c.mp3Baud.Visible()) {
            const rt::String status = engine().status();
            if (isMp3Address(engine().URL()) && statusSaysPlaying(status)) {
                c.mp3Baud.setCaption(" " + bitRateOf(status) + " Kbaud ");
                c.mp3Baud.setVisible(true);
            }
        } else if (!isMp3Address(engine().URL())) {
            c.mp3Baud.setVisible(false);
        }
    });
}

// What a position tick shows changes only where the position passes a half second (both read-outs show
// whole seconds), where the transport acts, the duration or the bit-rate read-out changes, or the spectrum
// window's read-out lags; a tick run a little early shows the same as on time when none of these lies
// within reach of what the last tick showed.
bool Player::positionTickShowsNothing() {
    constexpr auto kFreshness = std::chrono::milliseconds(30);
    constexpr double kReachSeconds = 0.05;
    if (!shownPosition_ || std::chrono::steady_clock::now() - shownPosition_->at > kFreshness)
        return false;
    MediaPlayer& wmp = engine();
    PlayerDesign& c = d();
    if (wmp.playState() != MediaPlayer::kPlaying || c.mp3Baud.Visible() != isMp3Address(wmp.URL()))
        return false;
    const std::int16_t duration = wholeSecondsOf(wmp.currentMedia().duration);
    if (duration != 0 && duration != c.SliderTime.Max())
        return false;
    if (sa().Visible() && sa().d().LabelTime.Caption() != c.LabelTime.Caption())
        return false;
    const double shown = shownPosition_->seconds;
    return std::floor(shown + 0.5) == std::floor(shown + 0.5 + kReachSeconds);
}

// ---- title display ----

void Player::TimerDisplay_Timer() {
    MediaPlayer& wmp = engine();
    const rt::String url = wmp.URL();
    // A media address the engine could not load has no media to describe: nothing moves.
    if (url.isEmpty() || !wmp.hasCurrentMedia())
        return;
    const MediaPlayer::Media& media = wmp.currentMedia();
    rt::Label& title = d().LabelDisplay;
    // The caption is the engine's at every tick; it is only put together again when what it is made of
    // changed.
    TitleSource source{url, media.name, media.durationString};
    if (source != titleSource_) {
        titleCaption_ = "  >>>> " + media.name + "." + rt::LCase(rt::Right(url, 3)) + " -- " +
                        media.durationString + " <<<< ";
        titleSource_ = std::move(source);
    }
    title.setCaption(titleCaption_);
    const float left = static_cast<float>(title.Left()) - kTitleStepTwips;
    title.setLeft(left);
    if (title.Width() + kTitleWrapMarginTwips + title.Left() < 0)
        title.setLeft(kTitleStartTwips);
}

// A step that keeps the title on its pixel, with the same caption and no wrap, changes nothing on screen.
bool Player::titleTickShowsNothing() {
    MediaPlayer& wmp = engine();
    const rt::String url = wmp.URL();
    if (url.isEmpty() || !wmp.hasCurrentMedia())
        return true;
    const MediaPlayer::Media& media = wmp.currentMedia();
    if (TitleSource{url, media.name, media.durationString} != titleSource_)
        return false;
    const rt::Label& title = d().LabelDisplay;
    const float left = static_cast<float>(title.Left()) - kTitleStepTwips;
    return title.Width() + kTitleWrapMarginTwips + left >= 0 &&
           title.pixelsOf(left) == title.pixelsOf(title.Left());
}

// ---- keys ----

void Player::Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    keyDown(KeyCode, Shift);
}

bool isPlayerKey(std::int16_t KeyCode) {
    return KeyCode == kKeySpace || KeyCode == kKeyEnd || KeyCode == kKeyAdd || KeyCode == kKeySubtract;
}

void Player::keyDown(std::int16_t& KeyCode, std::int16_t&) {
    const int state = engine().playState();
    if (KeyCode == kKeySpace) {
        if (state == MediaPlayer::kPlaying) {
            Control_Click(kPause);
            return;
        }
        if (state == MediaPlayer::kStopped || state == MediaPlayer::kPaused || state == MediaPlayer::kReady) {
            Control_Click(kPlay);
            return;
        }
    }
    if (KeyCode == kKeyEnd)
        Control_Click(kStop);
    if (KeyCode == kKeyAdd)
        stepVolume(*this, 1);
    if (KeyCode == kKeySubtract)
        stepVolume(*this, -1);
    rt::DoEvents();
}

// ---- seek and volume ----

void Player::SliderTime_Change(std::int32_t& Value) {
    engine().controls.setCurrentPosition(static_cast<double>(Value));
}

void Player::SliderTime_MouseDown(std::int16_t&, std::int16_t&, float& X, float&) {
    if (!(engine().controls.currentPosition() > 0))
        return;
    if (engine().URL().isEmpty())
        return;
    // Seconds per pixel in single precision, so a press seeks where the thumb's float arithmetic puts it.
    const float secondsPerPixel = static_cast<float>(engine().currentMedia().duration / kSeekTrackPixels);
    engine().controls.setCurrentPosition(static_cast<double>(secondsPerPixel) * static_cast<double>(X));
}

void Player::SliderVol_Change(std::int32_t& Value) {
    Vol(Value);
}

void Player::Vol(std::int32_t Value) {
    engine().settings.setVolume(Value);
    d().LabelVol.setCaption(rt::CStr(rt::sub32(Value, kVolumeZeroDbLevel)) + " dB");
    sa().VuSA(rt::CInt(Value));
}

// ---- companion-window toggles ----

void Player::PL_Click() {
    toggleCompanion(*this, playlist::playList(), kDockPlayList);
}

// Files dropped on the main window load into the playlist, which ends visible and docked.
void Player::Form_OLEDragDrop(rt::shell::DropData& Data, std::int32_t& Effect, std::int16_t& Button,
                              std::int16_t& Shift, float& X, float& Y) {
    playlist::playList().Hide();
    PL_Click();
    playlist::playList().ListFiles_OLEDragDrop(Data, Effect, Button, Shift, X, Y);
}

void Player::SAtoggle1_Click() {
    toggleCompanion(*this, sa(), kDockSA);
}

void Player::ToggleSA() {
    sa().setVisible(!sa().Visible());
}

void Player::ToggleSADock() {
    ToggleSA();
    sa().Form_DblClick();
}

Player& player() {
    // Lives to the end of the process; its window is destroyed by the unload at the end of the program.
    static Player* window = new Player;
    return *window;
}

} // namespace player
