#pragma once
// The spectrum window needs an engine; the fuzz targets that load windows use this one: it holds an
// address and a volume, plays nothing and makes no sound.
#include "platform/media/MediaPlayer.h"

namespace fuzzing {

class SilentEngine final : public rt::MediaPlayer {
  public:
    rt::String URL() const override { return url_; }
    void setURL(const rt::String& path) override { url_ = path; }
    void close() override { url_.clear(); }
    int playState() const override { return kStopped; }
    rt::String status() const override { return {}; }
    void attachAnalyserView(rt::AnalyserView*) override {}

  protected:
    void playMedia() override {}
    void pauseMedia() override {}
    void stopMedia() override {}
    double position() const override { return 0; }
    void seekTo(double) override {}
    int volumeLevel() const override { return volume_; }
    void applyVolume(int volume) override { volume_ = volume; }
    int balanceLevel() const override { return 0; }
    void applyBalance(int) override {}
    const Media* loadedMedia() const override { return nullptr; }

  private:
    rt::String url_;
    int volume_ = kDefaultVolume;
};

} // namespace fuzzing
