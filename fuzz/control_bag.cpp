// Window designs hand the controls whatever their stored bags hold: loading a Button and a Slider from any
// bag must end in a loaded control or a run-time error, never a crash. Each input is read as a stored bag
// and also used as a recipe for a bag of the controls' own keys with arbitrary values, so the values reach
// the controls. A control that loaded must then draw, take the mouse, save, and load its saved bag again.
#include "controls/Button.h"
#include "controls/Slider.h"
#include "fuzz/FuzzRecipe.h"
#include "platform/base/Errors.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/Numbers.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/win/Windows.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The host's own extent entries are kept to a sane window size: the control's surface is the host's
// allocation, not what this target is about.
constexpr std::int32_t kMaxExtentHiMetric = 20000;

class Host : public rt::Form {
  public:
    Host() : Form("fuzz host") { setScaleMode(rt::kScalePixels); }

  protected:
    std::shared_ptr<void> createDesign() override { return nullptr; }
};

QApplication* gApp = nullptr;
Host* gHost = nullptr;
std::vector<rt::Picture> gPictures;

[[noreturn]] void fail(const char* what) {
    fuzzing::fail("control bag", what);
}

rt::Picture pngPicture(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return rt::PictureObject::fromFileBytes(bytes);
}

using fuzzing::Recipe;

constexpr std::array kKeys = {"_extentx",     "_extenty",    "style",         "usemaskcolor",
                              "picturealign", "pictureback", "picturenormal", "picturedisabled",
                              "picturedown",  "pictureover", "mouseicon",     "buttoncolor",
                              "selected",     "maskcolor",   "mousepointer",  "pictureprogress",
                              "bardown",      "barover",     "bar",           "backcolor",
                              "min",          "max",         "largechange",   "value",
                              "position"};

std::int32_t numberFrom(Recipe& recipe) {
    switch (recipe.next() % 3) {
    case 0:
        return int8_t(recipe.next()); // small numbers, the ones the controls branch on
    case 1:
        return int16_t(recipe.next() | recipe.next() << 8);
    default:
        return recipe.next32();
    }
}

rt::PropertyBag bagFrom(Recipe& recipe) {
    constexpr int kMaxEntries = 16;
    rt::PropertyBag bag;
    for (int i = 0; i < kMaxEntries && !recipe.done(); ++i) {
        const char* key = kKeys[recipe.next() % kKeys.size()];
        switch (recipe.next() % 3) {
        case 0:
            bag.writeLong(key, numberFrom(recipe), std::int32_t(0x80000000));
            break;
        case 1:
            bag.writeBool(key, recipe.next() % 2 == 0, recipe.next() % 2 == 0);
            break;
        default:
            bag.writePicture(key, gPictures[recipe.next() % gPictures.size()]);
            break;
        }
    }
    return bag;
}

// Extents the host would refuse to make a window of are dropped, so the host falls back to the design size.
void keepExtentsSane(rt::PropertyBag& bag) {
    for (const char* key : {"_extentx", "_extenty"}) {
        if (!bag.contains(key))
            continue;
        std::int32_t extent = 0;
        const bool number = rt::endSilentlyOnError([&] { extent = bag.readLong(key, 0); });
        if (!number || extent <= 0 || extent > kMaxExtentHiMetric)
            bag.writeLong(key, 0, 0);
    }
}

template <class Control> void exercise(Control& control);

template <> void exercise(controls::Button& button) {
    for (std::int16_t b : {std::int16_t(1), std::int16_t(2), std::int16_t(4)}) {
        std::int16_t shift = 1;
        float x = 3, y = 4;
        button.UserControl_MouseMove(b, shift, x, y);
        button.UserControl_MouseDown(b, shift, x, y);
        button.UserControl_DblClick();
        x = -1;
        button.UserControl_MouseUp(b, shift, x, y);
        rt::win::ReleaseCapture();
    }
    button.overTimer().tick();
}

template <> void exercise(controls::Slider& slider) {
    for (float p : {0.0f, 5.0f, 60.0f, 500.0f, -20.0f}) {
        std::int16_t b = 1, shift = 0;
        float x = p, y = p;
        slider.picBack_MouseDown(b, shift, x, y);
        slider.picBack_MouseMove(b, shift, x, y);
        slider.setValue(rt::add32(slider.Value(), 1));
        slider.picBack_MouseUp(b, shift, x, y);
    }
    slider.setMax(slider.Max());
    slider.overTimer().tick();
}

// Loads a fresh control from the bag; one that loads must work and must load again from what it saves.
template <class Control> void loadAndUse(const rt::PropertyBag& bag) {
    Control control(*gHost);
    if (!rt::endSilentlyOnError([&] { control.loadDesign(0, 0, 40, 20, bag); }))
        return;
    rt::endSilentlyOnError([&] { exercise(control); });
    rt::PropertyBag saved;
    control.saveDesign(saved);
    Control again(*gHost);
    try {
        again.loadDesign(0, 0, 40, 20, rt::PropertyBag::load(saved.save()));
    } catch (const rt::RuntimeError& error) {
        std::fprintf(stderr, "error %d: %s\n", error.number(), error.what());
        fail("a saved control did not load again");
    }
}

void loadBoth(rt::PropertyBag bag) {
    keepExtentsSane(bag);
    loadAndUse<controls::Button>(bag);
    loadAndUse<controls::Slider>(bag);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Damaged images make the decoders complain on every run; the outcome is what is checked.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    gApp = new QApplication(*argc, *argv);
    gHost = new Host;
    gHost->load();
    gPictures = {nullptr, rt::PictureObject::empty(), pngPicture(3, 2, qRgb(200, 0, 0)),
                 pngPicture(40, 30, qRgb(0, 0, 255))};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        loadBoth(rt::PropertyBag::load(input));
    } catch (const rt::RuntimeError&) {
        // Not a stored bag: the host refuses the design before any control sees it.
    }
    Recipe recipe(data, size);
    loadBoth(bagFrom(recipe));
    return 0;
}
