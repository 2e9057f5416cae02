#pragma once
// The named values a host keeps for each placed control inside a window design, and their stored form.
// Keys are kept in lower case and matched without regard to case; a value equal to the writer's default
// is not stored, so reading it back yields the reader's default.
#include "platform/base/Picture.h"
#include "platform/base/Text.h"

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

namespace rt {

// The runtime's "Invalid file format": a stored bag that is damaged.
constexpr int kInvalidFileFormat = 321;

// A 32-bit integer, a boolean or a picture reference (nullptr is the empty reference).
using PropertyValue = std::variant<std::int32_t, bool, Picture>;

class PropertyBag {
  public:
    // Value types of the stored form.
    enum ValueType : std::uint16_t { kLongType = 3, kBoolType = 11, kObjectType = 13 };

    // The stored value, or defaultValue when the bag lacks the key.
    PropertyValue readProperty(const String& name, const PropertyValue& defaultValue) const;
    // Typed readers: numbers and booleans convert into each other (True is -1, any nonzero number is
    // True); a picture read as a number or a number read as a picture fails with error 13.
    std::int32_t readLong(const String& name, std::int32_t defaultValue) const;
    // Fails with error 6 when the stored number does not fit 16 bits.
    std::int16_t readInteger(const String& name, std::int16_t defaultValue) const;
    bool readBool(const String& name, bool defaultValue) const;
    // A missing key gives the empty reference.
    Picture readPicture(const String& name) const;

    // Stores the value, replacing an earlier one under the same key; a value equal to the default is left
    // out (and an earlier one removed). Numbers and booleans compare by value; pictures compare by handle,
    // the empty reference counting as handle 0. A picture value that is stored although it is empty is
    // kept as an empty picture (handle 0).
    void writeProperty(const String& name, const PropertyValue& value, const PropertyValue& defaultValue);
    void writeLong(const String& name, std::int32_t value, std::int32_t defaultValue);
    void writeInteger(const String& name, std::int16_t value, std::int16_t defaultValue);
    void writeBool(const String& name, bool value, bool defaultValue);
    void writePicture(const String& name, const Picture& value, const Picture& defaultValue = nullptr);

    bool contains(const String& name) const;
    // Lower-case keys in the order they were first written.
    QStringList keys() const;
    bool isEmpty() const { return entries_.empty(); }

    // The stored form: magic, length, then one entry per value in write order.
    QByteArray save() const;
    // Reads a stored form; anything damaged fails with a RuntimeError (error 321, or 481 for a picture
    // that does not decode), never more.
    static PropertyBag load(const QByteArray& stored);

    // Same keys in the same order with the same values; pictures are the same when both are empty
    // references, or both hold the same image file bytes.
    friend bool operator==(const PropertyBag& a, const PropertyBag& b);

  private:
    struct Entry {
        String key;
        PropertyValue value;
    };
    const Entry* find(const String& name) const;
    std::vector<Entry> entries_;
};

} // namespace rt
