#include "platform/media/MediaPlayer.h"

#include "platform/base/Errors.h"

#include <algorithm>
#include <cmath>

namespace rt {

namespace {
constexpr long long kSecondsPerMinute = 60;
constexpr long long kSecondsPerHour = 3600;
constexpr double kDecibelsPerDecade = 20;
} // namespace

const MediaPlayer::Media& MediaPlayer::currentMedia() const {
    const Media* media = loadedMedia();
    if (!media)
        raise(kObjectVariableNotSet, "currentMedia");
    return *media;
}

String mediaNameOf(const String& windowsPath) {
    const qsizetype slash = std::max(windowsPath.lastIndexOf(u'\\'), windowsPath.lastIndexOf(u'/'));
    const String fileName = windowsPath.mid(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    // A leading dot names a hidden file rather than starting an extension.
    return dot > 0 ? fileName.left(dot) : fileName;
}

String durationStringOf(double seconds) {
    const long long total = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    const long long hours = total / kSecondsPerHour;
    const long long minutes = total % kSecondsPerHour / kSecondsPerMinute;
    const long long rest = total % kSecondsPerMinute;
    const auto twoDigits = [](long long value) { return String::number(value).rightJustified(2, u'0'); };
    if (hours > 0)
        return String::number(hours) + u':' + twoDigits(minutes) + u':' + twoDigits(rest);
    return twoDigits(minutes) + u':' + twoDigits(rest);
}

double gainOfVolume(int volume) {
    if (volume <= 0)
        return 0;
    const int decibels = std::min(volume, MediaPlayer::kUnityGainVolume) - MediaPlayer::kUnityGainVolume;
    return std::pow(10.0, decibels / kDecibelsPerDecade);
}

} // namespace rt
