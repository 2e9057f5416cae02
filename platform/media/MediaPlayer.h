#pragma once
// The media engine as the player windows see it: a media address, transport controls, loudness and balance,
// the loaded media's description, a play state and a status line. The GStreamer engine and the test fake
// implement it.
#include "platform/base/Text.h"

#include <memory>

namespace rt {

class AnalyserView;

class MediaPlayer {
  public:
    // playState values.
    enum PlayState : int {
        kUndefined = 0,
        kStopped = 1,
        kPaused = 2,
        kPlaying = 3,
        kTransitioning = 9,
        kReady = 10,
    };

    static constexpr int kDefaultVolume = 50;
    static constexpr int kMaxVolume = 100;
    // The volume at which the sound plays as the file holds it; each step below is one decibel quieter.
    static constexpr int kUnityGainVolume = 90;
    static constexpr int kMaxBalance = 100;

    struct Media {
        String name;                     // file title without its extension
        double duration = 0;             // seconds; 0 until known
        String durationString = "00:00"; // "mm:ss", or "h:mm:ss" from an hour on
        String sourceURL;                // the path exactly as it was set
    };

    // Transport: engine.controls.play() and so on, like the control the players were written against.
    class Controls {
      public:
        explicit Controls(MediaPlayer& engine) : engine_(engine) {}
        void play() { engine_.playMedia(); }
        void pause() { engine_.pauseMedia(); }
        void stop() { engine_.stopMedia(); }
        double currentPosition() const { return engine_.position(); }
        void setCurrentPosition(double seconds) { engine_.seekTo(seconds); }

      private:
        MediaPlayer& engine_;
    };

    class Settings {
      public:
        explicit Settings(MediaPlayer& engine) : engine_(engine) {}
        int volume() const { return engine_.volumeLevel(); }
        void setVolume(int volume) { engine_.applyVolume(volume); }
        int balance() const { return engine_.balanceLevel(); }
        void setBalance(int balance) { engine_.applyBalance(balance); }

      private:
        MediaPlayer& engine_;
    };

    MediaPlayer() = default;
    virtual ~MediaPlayer() = default;
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // The media address exactly as set; "" when nothing is loaded.
    virtual String URL() const = 0;
    // A Windows path loads that media and starts it; "" unloads it.
    virtual void setURL(const String& windowsPath) = 0;
    // Ends playback and releases the media; URL reads "" afterwards.
    virtual void close() = 0;

    Controls controls{*this};
    Settings settings{*this};

    bool hasCurrentMedia() const { return loadedMedia() != nullptr; }
    // The loaded media; with none, fails with run-time error 91 like an unset object reference.
    const Media& currentMedia() const;

    virtual int playState() const = 0;
    virtual String status() const = 0;

    // The view that draws the playing sound; nullptr detaches. The view may be destroyed before the engine.
    virtual void attachAnalyserView(AnalyserView* view) = 0;

  protected:
    virtual void playMedia() = 0;
    virtual void pauseMedia() = 0;
    virtual void stopMedia() = 0;
    virtual double position() const = 0;
    virtual void seekTo(double seconds) = 0;
    virtual int volumeLevel() const = 0;
    virtual void applyVolume(int volume) = 0;
    virtual int balanceLevel() const = 0;
    virtual void applyBalance(int balance) = 0;
    virtual const Media* loadedMedia() const = 0;
};

// "D:\Audio\take 1.wav" -> "take 1".
String mediaNameOf(const String& windowsPath);
// 75.4 -> "01:15"; 3725 -> "1:02:05". Whole seconds, rounded.
String durationStringOf(double seconds);
// The linear gain of a volume: (volume - 90) dB, never above 1; 0 and below are silence.
double gainOfVolume(int volume);

// The GStreamer engine, in its design state: nothing loaded, volume 50, balance 0.
std::unique_ptr<MediaPlayer> createMediaPlayer();

} // namespace rt
