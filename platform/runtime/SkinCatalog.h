#pragma once
// Every skin picture by name and pixel size, so the windows, the painter that draws the pictures and the
// tests name them in one place. Files live in skin/pictures and are embedded under ":/skin/pictures/".
#include <array>
#include <string_view>

namespace rt::skin {

inline constexpr const char* kResourcePrefix = ":/skin/pictures/";

// Window skins.
inline constexpr const char* kPlayer = "player.png";
inline constexpr const char* kSa = "sa.png";
inline constexpr const char* kPlayList = "playlist.png";
inline constexpr const char* kInfoFile = "infofile.png";
inline constexpr const char* kAcerca = "acerca.png";

// The display strip behind the time, title and volume read-outs.
inline constexpr const char* kStrip = "strip.png";

// Close and minimise sets, the same images on every window (the close back is also its normal picture).
inline constexpr const char* kCloseBack = "close_back.png";
inline constexpr const char* kCloseDown = "close_down.png";
inline constexpr const char* kCloseOver = "close_over.png";
inline constexpr const char* kMinBack = "min_back.png";
inline constexpr const char* kMinDown = "min_down.png";
inline constexpr const char* kMinOver = "min_over.png";

// Player buttons.
inline constexpr const char* kAboutBack = "about_back.png";
inline constexpr const char* kAboutDown = "about_down.png";
inline constexpr const char* kAboutOver = "about_over.png";
inline constexpr const char* kInfoBack = "info_back.png";
inline constexpr const char* kInfoDown = "info_down.png";
inline constexpr const char* kInfoOver = "info_over.png";
inline constexpr const char* kOpenBack = "open_back.png"; // also the normal picture
inline constexpr const char* kOpenDown = "open_down.png";
inline constexpr const char* kOpenOver = "open_over.png";
inline constexpr const char* kPlBack = "pl_back.png"; // also the normal picture
inline constexpr const char* kPlDown = "pl_down.png";
inline constexpr const char* kPlOver = "pl_over.png";
inline constexpr const char* kSaToggleBack = "satoggle_back.png";
inline constexpr const char* kSaToggleNormal = "satoggle_normal.png";
inline constexpr const char* kSaToggleDown = "satoggle_down.png";
inline constexpr const char* kSaToggleOver = "satoggle_over.png";
inline constexpr const char* kPlayBack = "play_back.png";
inline constexpr const char* kPlayNormal = "play_normal.png";
inline constexpr const char* kPlayDown = "play_down.png";
inline constexpr const char* kPlayOver = "play_over.png";
inline constexpr const char* kPauseBack = "pause_back.png"; // also the normal picture
inline constexpr const char* kPauseDown = "pause_down.png";
inline constexpr const char* kPauseOver = "pause_over.png";
inline constexpr const char* kStopBack = "stop_back.png";
inline constexpr const char* kStopNormal = "stop_normal.png";
inline constexpr const char* kStopDown = "stop_down.png";
inline constexpr const char* kStopOver = "stop_over.png";

// Sliders: the track doubles as the progress picture; the pressed thumb is the normal one.
inline constexpr const char* kSeekTrack = "seek_track.png";
inline constexpr const char* kSeekThumb = "seek_thumb.png";
inline constexpr const char* kSeekThumbOver = "seek_thumb_over.png";
inline constexpr const char* kVolTrack = "vol_track.png";
inline constexpr const char* kVolThumb = "vol_thumb.png";
inline constexpr const char* kVolThumbOver = "vol_thumb_over.png";

// Icons: the windows' icon, and the information window's found / missing marks.
inline constexpr const char* kPlayerIcon = "player.ico";
inline constexpr const char* kInfoFound = "info_found.ico";
inline constexpr const char* kInfoMissing = "info_missing.png";

// Key colours as 0x00BBGGRR: the see-through colour of each window skin.
inline constexpr int kBlueKey = 0xFF0000;
inline constexpr int kWhiteKey = 0xFFFFFF;

// The strips are dark glass: read-out labels drawn on them need a light text colour, 0x00BBGGRR.
inline constexpr int kReadoutTextColor = 0x9CF58C;

enum class Kind { Window, Control, Icon };

struct Entry {
    std::string_view file;
    int width;  // pixels
    int height; // pixels
    Kind kind;
    int keyColor = -1; // windows only, 0x00BBGGRR
};

inline constexpr std::array kCatalog{
    Entry{kPlayer, 384, 194, Kind::Window, kBlueKey},
    Entry{kSa, 383, 377, Kind::Window, kWhiteKey},
    Entry{kPlayList, 280, 360, Kind::Window, kBlueKey},
    Entry{kInfoFile, 263, 193, Kind::Window, kBlueKey},
    Entry{kAcerca, 267, 150, Kind::Window, kWhiteKey},
    Entry{kStrip, 145, 21, Kind::Control},
    Entry{kCloseBack, 19, 18, Kind::Control},
    Entry{kCloseDown, 19, 18, Kind::Control},
    Entry{kCloseOver, 19, 18, Kind::Control},
    Entry{kMinBack, 19, 18, Kind::Control},
    Entry{kMinDown, 19, 18, Kind::Control},
    Entry{kMinOver, 19, 18, Kind::Control},
    Entry{kAboutBack, 46, 25, Kind::Control},
    Entry{kAboutDown, 46, 25, Kind::Control},
    Entry{kAboutOver, 46, 25, Kind::Control},
    Entry{kInfoBack, 53, 22, Kind::Control},
    Entry{kInfoDown, 53, 22, Kind::Control},
    Entry{kInfoOver, 53, 22, Kind::Control},
    Entry{kOpenBack, 26, 28, Kind::Control},
    Entry{kOpenDown, 25, 30, Kind::Control},
    Entry{kOpenOver, 25, 30, Kind::Control},
    Entry{kPlBack, 26, 28, Kind::Control},
    Entry{kPlDown, 27, 29, Kind::Control},
    Entry{kPlOver, 27, 29, Kind::Control},
    Entry{kSaToggleBack, 28, 29, Kind::Control},
    Entry{kSaToggleNormal, 28, 29, Kind::Control},
    Entry{kSaToggleDown, 28, 29, Kind::Control},
    Entry{kSaToggleOver, 28, 29, Kind::Control},
    Entry{kPlayBack, 70, 66, Kind::Control},
    Entry{kPlayNormal, 70, 66, Kind::Control},
    Entry{kPlayDown, 70, 66, Kind::Control},
    Entry{kPlayOver, 70, 66, Kind::Control},
    Entry{kPauseBack, 70, 66, Kind::Control},
    Entry{kPauseDown, 70, 66, Kind::Control},
    Entry{kPauseOver, 70, 66, Kind::Control},
    Entry{kStopBack, 22, 44, Kind::Control},
    Entry{kStopNormal, 59, 63, Kind::Control},
    Entry{kStopDown, 59, 63, Kind::Control},
    Entry{kStopOver, 59, 63, Kind::Control},
    Entry{kSeekTrack, 204, 12, Kind::Control},
    Entry{kSeekThumb, 9, 11, Kind::Control},
    Entry{kSeekThumbOver, 9, 11, Kind::Control},
    Entry{kVolTrack, 177, 14, Kind::Control},
    Entry{kVolThumb, 27, 14, Kind::Control},
    Entry{kVolThumbOver, 27, 14, Kind::Control},
    Entry{kPlayerIcon, 32, 32, Kind::Icon},
    Entry{kInfoFound, 32, 32, Kind::Icon},
    Entry{kInfoMissing, 32, 31, Kind::Icon},
};

// The catalogue entry of a file name, or nullptr.
constexpr const Entry* find(std::string_view file) {
    for (const Entry& entry : kCatalog)
        if (entry.file == file)
            return &entry;
    return nullptr;
}

} // namespace rt::skin
