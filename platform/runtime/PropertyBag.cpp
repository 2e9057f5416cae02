#include "platform/runtime/PropertyBag.h"

#include "platform/base/Errors.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <limits>
#include <set>

namespace rt {

namespace {

constexpr std::uint32_t kMagic = 0x0000B293;
constexpr int kBagHeaderBytes = 8;  // magic, length
constexpr int kNextFieldOffset = 8; // within an entry: after type, name length and hash
constexpr int kEntryAlignment = 4;
constexpr std::int16_t kStoredTrue = -1;
// {0BE35204-8F91-11CE-9DE3-00AA004BB851}, the class of pictures, in the usual GUID byte layout.
constexpr std::array<std::uint8_t, 16> kPictureClassId = {0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                                                          0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};
constexpr std::array<char, 4> kPictureStreamMark = {'l', 't', '\0', '\0'};
constexpr std::uint32_t kFnvOffsetBasis = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

[[noreturn]] void damaged(const std::string& what) {
    raise(kInvalidFileFormat, "property bag: " + what);
}

String keyOf(const String& name) {
    if (name.isEmpty())
        raise(kInvalidProcedureCall, "property bag: empty key");
    return LCase(name);
}

// FNV-1a over the key's UTF-16LE bytes.
std::uint32_t nameHash(const String& key) {
    std::uint32_t hash = kFnvOffsetBasis;
    for (const QChar c : key) {
        for (const std::uint8_t byte : {std::uint8_t(c.unicode() & 0xFF), std::uint8_t(c.unicode() >> 8)}) {
            hash ^= byte;
            hash *= kFnvPrime;
        }
    }
    return hash;
}

int paddedSize(qsizetype size) {
    return static_cast<int>((size + kEntryAlignment - 1) / kEntryAlignment * kEntryAlignment);
}

int handleOf(const Picture& picture) {
    return picture ? picture->handle() : 0;
}

bool isPicture(const PropertyValue& value) {
    return std::holds_alternative<Picture>(value);
}

std::int32_t numberOf(const PropertyValue& value) {
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? kStoredTrue : 0;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    raise(kTypeMismatch, "type mismatch: a picture where a number is expected");
}

bool equalsDefault(const PropertyValue& value, const PropertyValue& defaultValue) {
    if (isPicture(value) != isPicture(defaultValue))
        return false;
    if (isPicture(value))
        return handleOf(std::get<Picture>(value)) == handleOf(std::get<Picture>(defaultValue));
    return numberOf(value) == numberOf(defaultValue);
}

bool sameValue(const PropertyValue& a, const PropertyValue& b) {
    if (a.index() != b.index())
        return false;
    if (!isPicture(a))
        return a == b;
    const Picture& pa = std::get<Picture>(a);
    const Picture& pb = std::get<Picture>(b);
    if (!pa || !pb)
        return !pa && !pb;
    return pa->handle() == pb->handle() ||
           (pa->handle() != 0 && pb->handle() != 0 && pa->fileBytes() == pb->fileBytes());
}

// ---- writing ----

template <class Integer> void appendLittleEndian(QByteArray& out, Integer value) {
    char bytes[sizeof(Integer)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof bytes);
}

void appendValue(QByteArray& out, const PropertyValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        appendLittleEndian(out, *number);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        appendLittleEndian(out, std::int16_t(*flag ? kStoredTrue : 0));
    } else {
        const Picture& picture = std::get<Picture>(value);
        const QByteArray& file = picture->fileBytes();
        out.append(reinterpret_cast<const char*>(kPictureClassId.data()), kPictureClassId.size());
        out.append(kPictureStreamMark.data(), kPictureStreamMark.size());
        appendLittleEndian(out, std::uint32_t(file.size()));
        out.append(file);
    }
}

std::uint16_t typeOf(const PropertyValue& value) {
    if (std::holds_alternative<std::int32_t>(value))
        return PropertyBag::kLongType;
    if (std::holds_alternative<bool>(value))
        return PropertyBag::kBoolType;
    return PropertyBag::kObjectType;
}

// One entry with its "next" field still 0 and its padding.
QByteArray entryBytes(const String& key, const PropertyValue& value) {
    QByteArray out;
    appendLittleEndian(out, typeOf(value));
    appendLittleEndian(out, std::uint16_t(key.size()));
    appendLittleEndian(out, nameHash(key));
    appendLittleEndian(out, std::int32_t(0));
    for (const QChar c : key)
        appendLittleEndian(out, std::uint16_t(c.unicode()));
    appendValue(out, value);
    out.append(paddedSize(out.size()) - out.size(), '\0');
    return out;
}

// ---- reading ----

class StoredReader {
  public:
    explicit StoredReader(const QByteArray& bytes) : bytes_(bytes), end_(bytes.size()) {}

    qsizetype position() const { return pos_; }
    qsizetype remaining() const { return end_ - pos_; }

    template <class Integer> Integer read() {
        require(sizeof(Integer));
        const Integer value = qFromLittleEndian<Integer>(bytes_.constData() + pos_);
        pos_ += sizeof(Integer);
        return value;
    }
    QByteArray readBytes(qsizetype count) {
        require(count);
        const QByteArray bytes = bytes_.mid(pos_, count);
        pos_ += count;
        return bytes;
    }

  private:
    void require(qsizetype count) const {
        if (count < 0 || count > remaining())
            damaged("truncated");
    }
    const QByteArray& bytes_;
    qsizetype end_;
    qsizetype pos_ = 0;
};

String readName(StoredReader& reader, int length, std::uint32_t hash) {
    String name;
    name.reserve(length);
    for (int i = 0; i < length; ++i)
        name.append(QChar(reader.read<std::uint16_t>()));
    if (name.isEmpty() || name != LCase(name))
        damaged("key is empty or not in lower case");
    if (nameHash(name) != hash)
        damaged("key hash does not match");
    return name;
}

// The image file of a picture stream; decoded only once the entry's layout has been checked.
QByteArray readPictureStream(StoredReader& reader) {
    const QByteArray classId = reader.readBytes(kPictureClassId.size());
    if (classId != QByteArray::fromRawData(reinterpret_cast<const char*>(kPictureClassId.data()),
                                           kPictureClassId.size()))
        damaged("object is not a picture");
    const QByteArray mark = reader.readBytes(kPictureStreamMark.size());
    if (mark != QByteArray::fromRawData(kPictureStreamMark.data(), kPictureStreamMark.size()))
        damaged("bad picture stream");
    const std::uint32_t size = reader.read<std::uint32_t>();
    if (size > static_cast<std::uint64_t>(reader.remaining()))
        damaged("picture stream runs past the bag");
    return reader.readBytes(static_cast<qsizetype>(size));
}

Picture pictureFromFile(const QByteArray& file) {
    return file.isEmpty() ? PictureObject::empty() : PictureObject::fromFileBytes(file);
}

// A number or boolean as stored, or a picture's image file still to be decoded.
struct StoredValue {
    PropertyValue value;
    QByteArray pictureFile;
};

StoredValue readValue(StoredReader& reader, std::uint16_t type) {
    switch (type) {
    case PropertyBag::kLongType:
        return {reader.read<std::int32_t>(), {}};
    case PropertyBag::kBoolType: {
        const std::int16_t flag = reader.read<std::int16_t>();
        if (flag != 0 && flag != kStoredTrue)
            damaged("boolean is neither True nor False");
        return {flag == kStoredTrue, {}};
    }
    case PropertyBag::kObjectType:
        return {Picture(), readPictureStream(reader)};
    default:
        damaged("unknown value type " + std::to_string(type));
    }
}

void requireZeroPadding(StoredReader& reader, qsizetype entryStart) {
    const qsizetype padding = paddedSize(reader.position() - entryStart) - (reader.position() - entryStart);
    const QByteArray bytes = reader.readBytes(padding);
    if (bytes.count('\0') != padding)
        damaged("padding is not zero");
}

} // namespace

const PropertyBag::Entry* PropertyBag::find(const String& name) const {
    const String key = keyOf(name);
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.key == key; });
    return found == entries_.end() ? nullptr : &*found;
}

PropertyValue PropertyBag::readProperty(const String& name, const PropertyValue& defaultValue) const {
    const Entry* entry = find(name);
    return entry ? entry->value : defaultValue;
}

std::int32_t PropertyBag::readLong(const String& name, std::int32_t defaultValue) const {
    return numberOf(readProperty(name, defaultValue));
}

std::int16_t PropertyBag::readInteger(const String& name, std::int16_t defaultValue) const {
    const std::int32_t number = readLong(name, defaultValue);
    if (number < std::numeric_limits<std::int16_t>::min() ||
        number > std::numeric_limits<std::int16_t>::max())
        raise(kOverflow, "overflow: \"" + name.toStdString() + "\" does not fit 16 bits");
    return static_cast<std::int16_t>(number);
}

bool PropertyBag::readBool(const String& name, bool defaultValue) const {
    return numberOf(readProperty(name, defaultValue)) != 0;
}

Picture PropertyBag::readPicture(const String& name) const {
    const PropertyValue value = readProperty(name, Picture());
    if (!isPicture(value))
        raise(kTypeMismatch, "type mismatch: \"" + name.toStdString() + "\" is not a picture");
    return std::get<Picture>(value);
}

void PropertyBag::writeProperty(const String& name, const PropertyValue& value,
                                const PropertyValue& defaultValue) {
    const String key = keyOf(name);
    if (key.size() > std::numeric_limits<std::uint16_t>::max())
        raise(kInvalidProcedureCall, "property bag: key too long");
    const auto existing =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return entry.key == key; });
    if (equalsDefault(value, defaultValue)) {
        if (existing != entries_.end())
            entries_.erase(existing);
        return;
    }
    PropertyValue stored = value;
    if (isPicture(stored) && !std::get<Picture>(stored))
        stored = PictureObject::empty();
    if (existing != entries_.end())
        existing->value = stored;
    else
        entries_.push_back({key, stored});
}

void PropertyBag::writeLong(const String& name, std::int32_t value, std::int32_t defaultValue) {
    writeProperty(name, value, defaultValue);
}

void PropertyBag::writeInteger(const String& name, std::int16_t value, std::int16_t defaultValue) {
    writeProperty(name, std::int32_t{value}, std::int32_t{defaultValue});
}

void PropertyBag::writeBool(const String& name, bool value, bool defaultValue) {
    writeProperty(name, value, defaultValue);
}

void PropertyBag::writePicture(const String& name, const Picture& value, const Picture& defaultValue) {
    writeProperty(name, value, defaultValue);
}

bool PropertyBag::contains(const String& name) const {
    return find(name) != nullptr;
}

QStringList PropertyBag::keys() const {
    QStringList keys;
    for (const Entry& entry : entries_)
        keys.append(entry.key);
    return keys;
}

QByteArray PropertyBag::save() const {
    QByteArray entries;
    qsizetype lastStart = 0;
    for (const Entry& entry : entries_) {
        lastStart = entries.size();
        QByteArray bytes = entryBytes(entry.key, entry.value);
        qToLittleEndian(std::int32_t(bytes.size()), bytes.data() + kNextFieldOffset);
        entries.append(bytes);
    }
    if (!entries_.empty()) // the last entry leads back to the first
        qToLittleEndian(std::int32_t(-lastStart), entries.data() + lastStart + kNextFieldOffset);

    QByteArray stored;
    appendLittleEndian(stored, kMagic);
    appendLittleEndian(stored, std::uint32_t(entries.size()));
    stored.append(entries);
    return stored;
}

PropertyBag PropertyBag::load(const QByteArray& stored) {
    StoredReader reader(stored);
    if (reader.read<std::uint32_t>() != kMagic)
        damaged("bad magic");
    if (reader.read<std::uint32_t>() != static_cast<std::uint64_t>(stored.size() - kBagHeaderBytes))
        damaged("length does not match");
    PropertyBag bag;
    std::set<String> seen;
    while (reader.remaining() > 0) {
        const qsizetype start = reader.position();
        const std::uint16_t type = reader.read<std::uint16_t>();
        const std::uint16_t nameLength = reader.read<std::uint16_t>();
        const std::uint32_t hash = reader.read<std::uint32_t>();
        const std::int32_t next = reader.read<std::int32_t>();
        String key = readName(reader, nameLength, hash);
        if (!seen.insert(key).second)
            damaged("key stored twice");
        StoredValue stored = readValue(reader, type);
        requireZeroPadding(reader, start);
        const bool last = reader.remaining() == 0;
        const qsizetype expectedNext = last ? -(start - kBagHeaderBytes) : reader.position() - start;
        if (next != expectedNext)
            damaged("bad next offset");
        // Decoded last, so a damaged layout costs no image decoding.
        if (type == kObjectType)
            stored.value = pictureFromFile(stored.pictureFile);
        bag.entries_.push_back({std::move(key), std::move(stored.value)});
    }
    return bag;
}

bool operator==(const PropertyBag& a, const PropertyBag& b) {
    return std::equal(a.entries_.begin(), a.entries_.end(), b.entries_.begin(), b.entries_.end(),
                      [](const PropertyBag::Entry& x, const PropertyBag::Entry& y) {
                          return x.key == y.key && sameValue(x.value, y.value);
                      });
}

} // namespace rt
