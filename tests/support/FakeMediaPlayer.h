#pragma once
// A media engine for window tests: state, position, duration, status and name are whatever the test sets,
// and every call the windows make is recorded. It keeps the promises the windows rely on: a media address
// loads a media and starts it, "" unloads it, pausing a stopped engine and stopping a paused one are fine.
#include "platform/media/MediaPlayer.h"

#include <utility>
#include <vector>

namespace rt {

class FakeMediaPlayer final : public MediaPlayer {
  public:
    enum class Call { SetURL, Close, Play, Pause, Stop, Seek, Volume, Balance };
    struct Record {
        Record(Call call, double value = 0, String text = {})
            : call(call), value(value), text(std::move(text)) {}
        Call call;
        double value = 0; // seek seconds, volume, balance
        String text;      // the URL set
        bool operator==(const Record&) const = default;
    };

    String URL() const override { return url_; }
    void setURL(const String& windowsPath) override;
    void close() override;
    int playState() const override { return state_; }
    String status() const override;
    void attachAnalyserView(AnalyserView* view) override { view_ = view; }

    // What the test decides.
    void setPlayState(int state) { state_ = state; }
    void setPosition(double seconds) { position_ = seconds; }
    // The duration of the loaded media and of every media loaded afterwards.
    void setDuration(double seconds);
    void setStatus(const String& status) { status_ = status; }
    void setMediaName(const String& name);

    // What the windows did.
    const std::vector<Record>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    int count(Call call) const;
    AnalyserView* spectrumView() const { return view_; }
    // How many times the position was read.
    int positionReads() const { return positionReads_; }

  protected:
    void playMedia() override;
    void pauseMedia() override;
    void stopMedia() override;
    double position() const override {
        ++positionReads_;
        return position_;
    }
    void seekTo(double seconds) override;
    int volumeLevel() const override { return volume_; }
    void applyVolume(int volume) override;
    int balanceLevel() const override { return balance_; }
    void applyBalance(int balance) override;
    const Media* loadedMedia() const override { return hasMedia_ ? &media_ : nullptr; }

  private:
    String url_;
    Media media_;
    bool hasMedia_ = false;
    int state_ = kUndefined;
    double position_ = 0;
    mutable int positionReads_ = 0;
    double duration_ = 0;
    String status_;
    int volume_ = kDefaultVolume;
    int balance_ = 0;
    AnalyserView* view_ = nullptr;
    std::vector<Record> calls_;
};

} // namespace rt
