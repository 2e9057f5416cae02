#include "controls/StoredBags.h"

#include "platform/base/Errors.h"
#include "platform/runtime/SkinCatalog.h"

#include <climits>
#include <map>
#include <string_view>

namespace controls {

namespace {

namespace skin = rt::skin;

// The host's extent entries are always stored: no default can equal them.
constexpr std::int32_t kAlwaysStored = INT32_MIN;
// Defaults the controls write against, so a value equal to them is left out as the host does.
constexpr std::int32_t kSystemButtonFace = static_cast<std::int32_t>(0x8000000F);
constexpr std::int32_t kDefaultSliderMax = 100;
// Colours the designs store, 0x00BBGGRR (negative: system colour 9).
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kCloseBlue = 0xC00000;
constexpr std::int32_t kSystemCaptionText = static_cast<std::int32_t>(0x80000009);
constexpr std::int32_t kHorizontal = 1;

constexpr std::string_view kControlPictures[] = {
    skin::kCloseBack,     skin::kCloseDown,    skin::kCloseOver, skin::kMinBack,      skin::kMinDown,
    skin::kMinOver,       skin::kAboutBack,    skin::kAboutDown, skin::kAboutOver,    skin::kInfoBack,
    skin::kInfoDown,      skin::kInfoOver,     skin::kOpenBack,  skin::kOpenDown,     skin::kOpenOver,
    skin::kPlBack,        skin::kPlDown,       skin::kPlOver,    skin::kSaToggleBack, skin::kSaToggleNormal,
    skin::kSaToggleDown,  skin::kSaToggleOver, skin::kPlayBack,  skin::kPlayNormal,   skin::kPlayDown,
    skin::kPlayOver,      skin::kPauseBack,    skin::kPauseDown, skin::kPauseOver,    skin::kStopBack,
    skin::kStopNormal,    skin::kStopDown,     skin::kStopOver,  skin::kSeekTrack,    skin::kSeekThumb,
    skin::kSeekThumbOver, skin::kVolTrack,     skin::kVolThumb,  skin::kVolThumbOver,
};

// The controls' skin pictures, loaded together once: either every picture is there or the load fails
// with the missing file's name, and the next use tries again.
class ControlSkin {
  public:
    static const ControlSkin& instance() {
        static const ControlSkin skin;
        return skin;
    }
    const rt::Picture& operator[](std::string_view file) const { return pictures_.at(file); }

  private:
    ControlSkin() {
        for (const std::string_view file : kControlPictures)
            pictures_[file] = rt::PictureObject::fromSkin(
                rt::String::fromLatin1(file.data(), static_cast<qsizetype>(file.size())));
    }
    std::map<std::string_view, rt::Picture> pictures_;
};

const rt::Picture& picture(std::string_view file) {
    return ControlSkin::instance()[file];
}

rt::PropertyBag bagWithExtent(std::int32_t extentX, std::int32_t extentY) {
    rt::PropertyBag bag;
    bag.writeLong("_extentx", extentX, kAlwaysStored);
    bag.writeLong("_extenty", extentY, kAlwaysStored);
    return bag;
}

struct ButtonDesign {
    std::int32_t extentX;
    std::int32_t extentY;
    std::int32_t buttonColor;
    std::string_view back;
    std::string_view normal; // empty: none stored
    std::string_view down;
    std::string_view over;
};

// In the order the button writes its values; every stored button draws its state pictures (style 1).
rt::PropertyBag buttonBag(const ButtonDesign& design) {
    rt::PropertyBag bag = bagWithExtent(design.extentX, design.extentY);
    bag.writeLong("buttoncolor", design.buttonColor, kSystemButtonFace);
    bag.writePicture("pictureback", picture(design.back));
    if (!design.normal.empty())
        bag.writePicture("picturenormal", picture(design.normal));
    bag.writePicture("picturedown", picture(design.down));
    bag.writePicture("pictureover", picture(design.over));
    bag.writeLong("style", 1, 0);
    return bag;
}

struct SliderDesign {
    std::int32_t extentX;
    std::int32_t extentY;
    std::string_view track; // also the progress picture
    std::string_view thumb; // also the pressed thumb
    std::string_view thumbOver;
    std::int32_t max;
    std::int32_t value;
};

// In the order the slider writes its values.
rt::PropertyBag sliderBag(const SliderDesign& design) {
    rt::PropertyBag bag = bagWithExtent(design.extentX, design.extentY);
    bag.writePicture("pictureback", picture(design.track));
    bag.writePicture("pictureprogress", picture(design.track));
    bag.writePicture("bar", picture(design.thumb));
    bag.writePicture("barover", picture(design.thumbOver));
    bag.writePicture("bardown", picture(design.thumb));
    bag.writeLong("backcolor", 0, kSystemButtonFace);
    bag.writeLong("max", design.max, kDefaultSliderMax);
    bag.writeLong("value", design.value, 0);
    bag.writeLong("position", kHorizontal, 0);
    return bag;
}

} // namespace

rt::PropertyBag closeButtonBag() {
    return buttonBag(
        {503, 476, kWhite, skin::kCloseBack, skin::kCloseBack, skin::kCloseDown, skin::kCloseOver});
}

rt::PropertyBag minimiseButtonBag() {
    return buttonBag({503, 476, kCloseBlue, skin::kMinBack, {}, skin::kMinDown, skin::kMinOver});
}

rt::PropertyBag abautBag() {
    return buttonBag(
        {1217, 661, kSystemCaptionText, skin::kAboutBack, {}, skin::kAboutDown, skin::kAboutOver});
}

rt::PropertyBag infoBag() {
    return buttonBag({1402, 582, kSystemCaptionText, skin::kInfoBack, {}, skin::kInfoDown, skin::kInfoOver});
}

rt::PropertyBag openBag() {
    return buttonBag(
        {661, 741, kSystemButtonFace, skin::kOpenBack, skin::kOpenBack, skin::kOpenDown, skin::kOpenOver});
}

rt::PropertyBag plBag() {
    return buttonBag(
        {688, 741, kSystemButtonFace, skin::kPlBack, skin::kPlBack, skin::kPlDown, skin::kPlOver});
}

rt::PropertyBag saToggleBag() {
    return buttonBag({714, 767, kSystemButtonFace, skin::kSaToggleBack, skin::kSaToggleNormal,
                      skin::kSaToggleDown, skin::kSaToggleOver});
}

rt::PropertyBag controlBag(int index) {
    switch (index) {
    case 0:
        return buttonBag({1852, 1720, kSystemButtonFace, skin::kPlayBack, skin::kPlayNormal, skin::kPlayDown,
                          skin::kPlayOver});
    case 1:
        return buttonBag({1852, 1720, kSystemButtonFace, skin::kPauseBack, skin::kPauseBack, skin::kPauseDown,
                          skin::kPauseOver});
    case 2:
        return buttonBag({1561, 1614, kSystemButtonFace, skin::kStopBack, skin::kStopNormal, skin::kStopDown,
                          skin::kStopOver});
    default:
        rt::raise(rt::kSubscriptOutOfRange, "Control(" + std::to_string(index) + ") is not in the design");
    }
}

rt::PropertyBag sliderTimeBag() {
    return sliderBag(
        {5292, 291, skin::kSeekTrack, skin::kSeekThumb, skin::kSeekThumbOver, kDefaultSliderMax, 50});
}

rt::PropertyBag sliderVolBag() {
    return sliderBag({4683, 370, skin::kVolTrack, skin::kVolThumb, skin::kVolThumbOver, 90, 0});
}

} // namespace controls
