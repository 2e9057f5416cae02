#include "tests/support/FakeMediaPlayer.h"

#include <algorithm>

namespace rt {

void FakeMediaPlayer::setURL(const String& windowsPath) {
    calls_.push_back({Call::SetURL, 0, windowsPath});
    url_ = windowsPath;
    position_ = 0;
    hasMedia_ = !windowsPath.isEmpty();
    if (!hasMedia_) {
        state_ = kStopped;
        return;
    }
    media_ = Media{mediaNameOf(windowsPath), duration_, durationStringOf(duration_), windowsPath};
    state_ = kPlaying; // autoStart
}

void FakeMediaPlayer::close() {
    calls_.push_back({Call::Close, 0, {}});
    url_.clear();
    hasMedia_ = false;
    position_ = 0;
    state_ = kStopped;
}

String FakeMediaPlayer::status() const {
    if (!status_.isEmpty())
        return status_;
    switch (state_) {
    case kPlaying:
        return QStringLiteral("Reproduciendo");
    case kPaused:
        return QStringLiteral("En pausa");
    case kStopped:
        return QStringLiteral("Detenido");
    default:
        return QStringLiteral("Listo");
    }
}

void FakeMediaPlayer::setDuration(double seconds) {
    duration_ = seconds;
    media_.duration = seconds;
    media_.durationString = durationStringOf(seconds);
}

void FakeMediaPlayer::setMediaName(const String& name) {
    media_.name = name;
}

int FakeMediaPlayer::count(Call call) const {
    return int(std::count_if(calls_.begin(), calls_.end(),
                             [call](const Record& record) { return record.call == call; }));
}

void FakeMediaPlayer::playMedia() {
    calls_.push_back({Call::Play, 0, {}});
    if (hasMedia_)
        state_ = kPlaying;
}

void FakeMediaPlayer::pauseMedia() {
    calls_.push_back({Call::Pause, 0, {}});
    if (state_ == kPlaying || state_ == kTransitioning)
        state_ = kPaused;
}

void FakeMediaPlayer::stopMedia() {
    calls_.push_back({Call::Stop, 0, {}});
    if (!hasMedia_)
        return;
    state_ = kStopped;
    position_ = 0;
}

void FakeMediaPlayer::seekTo(double seconds) {
    calls_.push_back({Call::Seek, seconds, {}});
    if (hasMedia_)
        position_ = std::max(seconds, 0.0);
}

void FakeMediaPlayer::applyVolume(int volume) {
    calls_.push_back({Call::Volume, double(volume), {}});
    volume_ = std::clamp(volume, 0, kMaxVolume);
}

void FakeMediaPlayer::applyBalance(int balance) {
    calls_.push_back({Call::Balance, double(balance), {}});
    balance_ = std::clamp(balance, -kMaxBalance, kMaxBalance);
}

} // namespace rt
