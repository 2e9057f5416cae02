#include "platform/base/Errors.h"
#include "platform/runtime/PropertyBag.h"

#include "tests/support/ErrorCapture.h"
#include "tests/support/PictureFixtures.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace rt;
using fixtures::errorNumberOf;

namespace {

// The stored form, written out from its layout for comparison.
class StoredBytes {
  public:
    StoredBytes& u16(quint16 value) { return append(value); }
    StoredBytes& i16(qint16 value) { return append(value); }
    StoredBytes& u32(quint32 value) { return append(value); }
    StoredBytes& i32(qint32 value) { return append(value); }
    StoredBytes& utf16(const char16_t* text) {
        for (; *text; ++text)
            u16(*text);
        return *this;
    }
    StoredBytes& raw(const QByteArray& bytes) {
        bytes_.append(bytes);
        return *this;
    }
    StoredBytes& zeros(int count) { return raw(QByteArray(count, '\0')); }
    const QByteArray& bytes() const { return bytes_; }

  private:
    template <class T> StoredBytes& append(T value) {
        char data[sizeof(T)];
        qToLittleEndian(value, data);
        bytes_.append(data, sizeof data);
        return *this;
    }
    QByteArray bytes_;
};

// 32-bit FNV-1a over the UTF-16LE bytes of the key.
quint32 fnv1a(const char16_t* key) {
    quint32 hash = 2166136261u;
    for (; *key; ++key) {
        for (const quint8 byte : {quint8(*key & 0xFF), quint8(*key >> 8)}) {
            hash ^= byte;
            hash *= 16777619u;
        }
    }
    return hash;
}

Picture pngPicture(int width, int height, QRgb colour) {
    return PictureObject::fromFileBytes(
        fixtures::imageFileBytes(fixtures::solidImage(width, height, colour), "PNG"));
}

const QByteArray kPictureClassId =
    QByteArray::fromHex("0452E30B918FCE119DE300AA004BB851"); // {0BE35204-8F91-11CE-9DE3-00AA004BB851}

PropertyBag buttonLikeBag() {
    PropertyBag bag;
    bag.writeLong("_ExtentX", 503, 0);
    bag.writeLong("_ExtentY", 476, 0);
    bag.writeBool("UseMaskColor", true, false);
    bag.writeLong("Style", 1, 0);
    return bag;
}

} // namespace

TEST(PropertyBagStoredForm, SmallBagMatchesTheLayoutByteForByte) {
    StoredBytes expected;
    expected.u32(0x0000B293).u32(132);
    expected.u16(3).u16(8).u32(fnv1a(u"_extentx")).i32(32).utf16(u"_extentx").i32(503);
    expected.u16(3).u16(8).u32(fnv1a(u"_extenty")).i32(32).utf16(u"_extenty").i32(476);
    expected.u16(11).u16(12).u32(fnv1a(u"usemaskcolor")).i32(40).utf16(u"usemaskcolor").i16(-1).zeros(2);
    expected.u16(3).u16(5).u32(fnv1a(u"style")).i32(-104).utf16(u"style").i32(1).zeros(2);
    EXPECT_EQ(buttonLikeBag().save().toHex().toStdString(), expected.bytes().toHex().toStdString());
}

TEST(PropertyBagStoredForm, EmptyBagIsMagicAndZeroLength) {
    const QByteArray stored = PropertyBag().save();
    EXPECT_EQ(stored, StoredBytes().u32(0x0000B293).u32(0).bytes());
    EXPECT_TRUE(PropertyBag::load(stored).isEmpty());
}

TEST(PropertyBagStoredForm, SingleEntryLeadsBackToItself) {
    PropertyBag bag;
    bag.writeLong("max", 90, 100);
    StoredBytes expected;
    expected.u32(0x0000B293).u32(24).u16(3).u16(3).u32(fnv1a(u"max")).i32(0).utf16(u"max").i32(90).zeros(2);
    EXPECT_EQ(bag.save().toHex().toStdString(), expected.bytes().toHex().toStdString());
}

TEST(PropertyBagStoredForm, PictureEntryCarriesClassIdAndImageFile) {
    const QByteArray png = fixtures::imageFileBytes(fixtures::solidImage(9, 11, qRgb(1, 2, 3)), "PNG");
    PropertyBag bag;
    bag.writePicture("Bar", PictureObject::fromFileBytes(png));
    const int valueBytes = 16 + 4 + 4 + int(png.size());
    const int entryBytes = (12 + 6 + valueBytes + 3) / 4 * 4;
    StoredBytes expected;
    expected.u32(0x0000B293).u32(quint32(entryBytes));
    expected.u16(13).u16(3).u32(fnv1a(u"bar")).i32(0).utf16(u"bar");
    expected.raw(kPictureClassId).raw(QByteArray("lt\0\0", 4)).u32(quint32(png.size())).raw(png);
    expected.zeros(entryBytes - (12 + 6 + valueBytes));
    EXPECT_EQ(bag.save().toHex().toStdString(), expected.bytes().toHex().toStdString());
}

TEST(PropertyBagRoundTrip, PicturesNumbersAndFlagsComeBackInOrder) {
    const Picture back = pngPicture(204, 12, qRgb(0, 0, 255));
    const Picture bar = pngPicture(9, 11, qRgb(200, 10, 10));
    PropertyBag bag;
    bag.writeLong("_extentx", 5292, 0);
    bag.writeLong("_extenty", 291, 0);
    bag.writePicture("PictureBack", back);
    bag.writePicture("PictureProgress", back);
    bag.writePicture("Bar", bar);
    bag.writeLong("BackColor", 0, std::int32_t(0x8000000F));
    bag.writeLong("Value", 50, 0);
    bag.writeLong("Position", 1, 0);
    bag.writeBool("Selected", true, false);

    const PropertyBag loaded = PropertyBag::load(bag.save());
    EXPECT_TRUE(loaded == bag);
    EXPECT_EQ(loaded.keys(), QStringList({"_extentx", "_extenty", "pictureback", "pictureprogress", "bar",
                                          "backcolor", "value", "position", "selected"}));
    EXPECT_EQ(loaded.readLong("BackColor", std::int32_t(0x8000000F)), 0);
    EXPECT_EQ(loaded.readLong("Max", 100), 100);
    EXPECT_TRUE(loaded.readBool("Selected", false));
    const Picture loadedBack = loaded.readPicture("PictureBack");
    ASSERT_NE(loadedBack, nullptr);
    EXPECT_EQ(loadedBack->fileBytes(), back->fileBytes());
    EXPECT_EQ(loadedBack->pixelWidth(), 204);
    EXPECT_NE(loadedBack->handle(), 0);
    EXPECT_EQ(loaded.readPicture("Bar")->Type(), PictureObject::kBitmap);
    EXPECT_EQ(loaded.save(), bag.save());
}

TEST(PropertyBagRoundTrip, EmptyPictureStoredAgainstANonEmptyDefaultStaysEmpty) {
    PropertyBag bag;
    bag.writePicture("BarDown", PictureObject::empty(), pngPicture(2, 2, qRgb(0, 0, 0)));
    bag.writePicture("BarOver", nullptr, pngPicture(2, 2, qRgb(0, 0, 0)));
    const PropertyBag loaded = PropertyBag::load(bag.save());
    for (const char* key : {"bardown", "barover"}) {
        const Picture picture = loaded.readPicture(key);
        ASSERT_NE(picture, nullptr) << key;
        EXPECT_EQ(picture->handle(), 0) << key;
    }
    EXPECT_TRUE(loaded == bag);
}

TEST(PropertyBagKeys, AreLowerCaseAndMatchedWithoutRegardToCase) {
    PropertyBag bag;
    bag.writeLong("ButtonColor", 16777215, std::int32_t(0x8000000F));
    EXPECT_EQ(bag.keys(), QStringList({"buttoncolor"}));
    EXPECT_EQ(bag.readLong("buttoncolor", 0), 16777215);
    EXPECT_EQ(bag.readLong("BUTTONCOLOR", 0), 16777215);
    EXPECT_TRUE(bag.contains("bUTTONcOLOR"));
    bag.writeLong("BUTTONCOLOR", 12582912, std::int32_t(0x8000000F));
    EXPECT_EQ(bag.keys(), QStringList({"buttoncolor"}));
    EXPECT_EQ(bag.readLong("ButtonColor", 0), 12582912);
}

TEST(PropertyBagKeys, RewritingAKeyKeepsItsPlace) {
    PropertyBag bag = buttonLikeBag();
    bag.writeLong("_extentx", 1217, 0);
    EXPECT_EQ(bag.keys(), QStringList({"_extentx", "_extenty", "usemaskcolor", "style"}));
    EXPECT_EQ(bag.readLong("_ExtentX", 0), 1217);
}

TEST(PropertyBagDefaults, ValuesEqualToTheDefaultAreLeftOut) {
    PropertyBag bag;
    bag.writeLong("Style", 0, 0);
    bag.writeBool("Selected", false, false);
    bag.writeLong("PictureAlign", 0, 0);
    bag.writeLong("ButtonColor", std::int32_t(0x8000000F), std::int32_t(0x8000000F));
    bag.writeInteger("MousePointer", 0, 0);
    bag.writePicture("MouseIcon", nullptr);
    bag.writePicture("PictureNormal", PictureObject::empty()); // handle 0 against the empty reference
    EXPECT_TRUE(bag.isEmpty());
    EXPECT_EQ(bag.save().size(), 8);
}

TEST(PropertyBagDefaults, WritingTheDefaultOverAStoredValueRemovesIt) {
    PropertyBag bag = buttonLikeBag();
    bag.writeLong("Style", 0, 0);
    EXPECT_FALSE(bag.contains("style"));
    EXPECT_EQ(bag.readLong("Style", 7), 7);
}

TEST(PropertyBagDefaults, SamePictureAsTheDefaultIsLeftOut) {
    const Picture picture = pngPicture(3, 3, qRgb(4, 5, 6));
    PropertyBag bag;
    bag.writePicture("PictureBack", picture, picture);
    EXPECT_FALSE(bag.contains("pictureback"));
    bag.writePicture("PictureBack", picture, pngPicture(3, 3, qRgb(4, 5, 6)));
    EXPECT_TRUE(bag.contains("pictureback"));
}

TEST(PropertyBagReading, MissingKeysGiveTheReadersDefault) {
    const PropertyBag bag;
    EXPECT_EQ(bag.readLong("Max", 100), 100);
    EXPECT_EQ(bag.readInteger("LargeChange", 3), 3);
    EXPECT_TRUE(bag.readBool("UseMaskColor", true));
    EXPECT_EQ(bag.readPicture("PictureBack"), nullptr);
    const PropertyValue value = bag.readProperty("Style", std::int32_t(4));
    EXPECT_EQ(std::get<std::int32_t>(value), 4);
}

TEST(PropertyBagReading, NumbersAndFlagsConvertIntoEachOther) {
    PropertyBag bag;
    bag.writeBool("flag", true, false);
    bag.writeLong("number", 5, 0);
    EXPECT_EQ(bag.readLong("flag", 0), -1);
    EXPECT_EQ(bag.readInteger("flag", 0), -1);
    EXPECT_TRUE(bag.readBool("number", false));
    EXPECT_TRUE(std::holds_alternative<bool>(bag.readProperty("flag", std::int32_t(0))));
}

TEST(PropertyBagReading, SixteenBitReadOverflowsOutsideItsRange) {
    PropertyBag bag;
    bag.writeLong("LargeChange", 40000, 0);
    bag.writeLong("MousePointer", -32768, 0);
    EXPECT_EQ(errorNumberOf([&] { bag.readInteger("LargeChange", 0); }), kOverflow);
    EXPECT_EQ(bag.readInteger("MousePointer", 0), -32768);
    EXPECT_EQ(bag.readLong("LargeChange", 0), 40000);
}

TEST(PropertyBagReading, WrongKindIsTypeMismatch) {
    PropertyBag bag;
    bag.writeLong("PictureBack", 1, 0);
    bag.writePicture("Style", pngPicture(2, 2, qRgb(0, 0, 0)));
    EXPECT_EQ(errorNumberOf([&] { bag.readPicture("PictureBack"); }), kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { bag.readLong("Style", 0); }), kTypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { bag.readBool("Style", false); }), kTypeMismatch);
}

class DamagedBag : public ::testing::Test {
  protected:
    static QByteArray validForm() {
        PropertyBag bag = buttonLikeBag();
        bag.writePicture("PictureBack", pngPicture(5, 4, qRgb(0, 0, 255)));
        return bag.save();
    }
    static int loadError(const QByteArray& stored) {
        return errorNumberOf([&] { PropertyBag::load(stored); });
    }
    static void put16(QByteArray& stored, int offset, quint16 value) {
        qToLittleEndian(value, stored.data() + offset);
    }
    static void put32(QByteArray& stored, int offset, quint32 value) {
        qToLittleEndian(value, stored.data() + offset);
    }
    // The first entry starts after magic and length; its name after 12 bytes of fields.
    static constexpr int kFirstEntry = 8;
    static constexpr int kFirstName = kFirstEntry + 12;
};

TEST_F(DamagedBag, ValidFormLoads) {
    EXPECT_EQ(loadError(validForm()), 0);
}

TEST_F(DamagedBag, TruncationAtEveryLengthFails) {
    const QByteArray stored = validForm();
    for (int length = 0; length < stored.size(); ++length)
        EXPECT_NE(loadError(stored.left(length)), 0) << length;
}

TEST_F(DamagedBag, TrailingBytesFail) {
    EXPECT_EQ(loadError(validForm() + QByteArray(4, '\0')), kInvalidFileFormat);
}

TEST_F(DamagedBag, BadMagicOrLengthFails) {
    QByteArray stored = validForm();
    stored[1] = char(0xB3);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
    stored = validForm();
    put32(stored, 4, 0xFFFFFFF0);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, NameThatDoesNotMatchItsHashFails) {
    QByteArray stored = validForm();
    stored[kFirstName + 2] = 'f'; // "_extentx" -> "_fxtentx"
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, UpperCaseNameFailsEvenWithItsHash) {
    PropertyBag bag;
    bag.writeLong("style", 1, 0);
    QByteArray stored = bag.save();
    stored[kFirstName] = 'S';
    put32(stored, kFirstEntry + 4, fnv1a(u"Style"));
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, NameLengthRunningPastTheBagFails) {
    QByteArray stored = validForm();
    put16(stored, kFirstEntry + 2, 0xFFFF);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, BadNextOffsetFails) {
    QByteArray stored = validForm();
    put32(stored, kFirstEntry + 8, 36);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
    stored = validForm();
    put32(stored, kFirstEntry + 8, quint32(-8));
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, UnknownTypeFails) {
    QByteArray stored = validForm();
    put16(stored, kFirstEntry, 8);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, BooleanOtherThanTrueOrFalseFails) {
    PropertyBag bag;
    bag.writeBool("selected", true, false);
    QByteArray stored = bag.save();
    put16(stored, kFirstName + 16, 1);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, NonZeroPaddingFails) {
    PropertyBag bag;
    bag.writeLong("style", 1, 0);
    QByteArray stored = bag.save();
    stored[stored.size() - 1] = 1;
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, KeyStoredTwiceFails) {
    PropertyBag bag;
    bag.writeLong("style", 1, 0);
    const QByteArray entry = bag.save().mid(8);
    QByteArray stored = StoredBytes().u32(0x0000B293).u32(quint32(entry.size() * 2)).bytes() + entry + entry;
    put32(stored, kFirstEntry + 8, quint32(entry.size()));
    put32(stored, kFirstEntry + int(entry.size()) + 8, quint32(-entry.size()));
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, ObjectThatIsNotAPictureFails) {
    PropertyBag bag;
    bag.writePicture("bar", pngPicture(2, 2, qRgb(0, 0, 0)));
    QByteArray stored = bag.save();
    const int classId = kFirstName + 6;
    ASSERT_EQ(stored.mid(classId, 16), kPictureClassId);
    stored[classId] = 0x05;
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
    stored = bag.save();
    stored[classId + 16] = 'L'; // "lt" mark
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, PictureStreamLongerThanTheBagFails) {
    PropertyBag bag;
    bag.writePicture("bar", pngPicture(2, 2, qRgb(0, 0, 0)));
    QByteArray stored = bag.save();
    put32(stored, kFirstName + 6 + 16 + 4, 0x7FFFFFFF);
    EXPECT_EQ(loadError(stored), kInvalidFileFormat);
}

TEST_F(DamagedBag, PictureThatDoesNotDecodeIsInvalidPicture) {
    const QByteArray junk("this is no image file");
    const int valueBytes = 16 + 4 + 4 + int(junk.size());
    const int entryBytes = (12 + 6 + valueBytes + 3) / 4 * 4;
    StoredBytes stored;
    stored.u32(0x0000B293).u32(quint32(entryBytes));
    stored.u16(13).u16(3).u32(fnv1a(u"bar")).i32(0).utf16(u"bar");
    stored.raw(kPictureClassId).raw(QByteArray("lt\0\0", 4)).u32(quint32(junk.size())).raw(junk);
    stored.zeros(entryBytes - (12 + 6 + valueBytes));
    EXPECT_EQ(loadError(stored.bytes()), kInvalidPicture);
}
