// Stored property bags come from window designs: loading any bytes must end in a bag or a RuntimeError.
// Random bytes rarely get past the magic, so each input is also used as a recipe for a valid bag, which is
// saved, checked for a faithful round trip, then damaged where the input says and loaded again.
#include "fuzz/FuzzRecipe.h"
#include "platform/base/Errors.h"
#include "platform/runtime/PropertyBag.h"

#include <QBuffer>
#include <QImage>
#include <QtGlobal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// BMP, not PNG: the PNG decoder prints every damaged file to stderr, which would drown the run's output.
QByteArray gPictureBytes;

QByteArray makePicture() {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

[[noreturn]] void fail(const char* what) {
    fuzzing::fail("property bag", what);
}

using fuzzing::Recipe;

QString nameFrom(Recipe& recipe) {
    static const char kLetters[] = "abcXYZ_1";
    QString name;
    const int length = 1 + recipe.next() % 6;
    for (int i = 0; i < length; ++i)
        name.append(QChar(kLetters[recipe.next() % (sizeof kLetters - 1)]));
    return name;
}

rt::PropertyBag bagFrom(Recipe& recipe) {
    constexpr int kMaxEntries = 12;
    rt::PropertyBag bag;
    for (int i = 0; i < kMaxEntries && !recipe.done(); ++i) {
        const QString name = nameFrom(recipe);
        switch (recipe.next() % 4) {
        case 0:
            bag.writeLong(name, recipe.next32(), 0);
            break;
        case 1:
            bag.writeBool(name, recipe.next() % 2 == 0, recipe.next() % 2 == 0);
            break;
        case 2:
            bag.writePicture(name, rt::PictureObject::fromFileBytes(gPictureBytes));
            break;
        default:
            bag.writePicture(name, rt::PictureObject::empty(),
                             rt::PictureObject::fromFileBytes(gPictureBytes));
            break;
        }
    }
    return bag;
}

// A bag that loads must save to the very same bytes and load to the same bag.
void checkRoundTrip(const QByteArray& stored) {
    rt::PropertyBag loaded;
    try {
        loaded = rt::PropertyBag::load(stored);
    } catch (const rt::RuntimeError&) {
        return;
    }
    const QByteArray saved = loaded.save();
    if (saved != stored)
        fail("saving a loaded bag changed its bytes");
    if (!(rt::PropertyBag::load(saved) == loaded))
        fail("loading a saved bag changed its contents");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Damaged images make the decoders complain on every run; the outcome is what is checked.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    gPictureBytes = makePicture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkRoundTrip(input);

    Recipe recipe(data, size);
    const rt::PropertyBag bag = bagFrom(recipe);
    const QByteArray stored = bag.save();
    if (!(rt::PropertyBag::load(stored) == bag))
        fail("a saved bag did not load as the same bag");

    if (stored.isEmpty())
        return 0;
    QByteArray damaged = stored;
    const uint32_t where = uint32_t(recipe.next32()) % uint32_t(damaged.size());
    damaged[where] = char(damaged[where] ^ (recipe.next() | 1));
    checkRoundTrip(damaged);
    checkRoundTrip(stored.left(where));
    return 0;
}
