#pragma once
// The system's text: 16-bit units (QString), bytes from files through the Windows-1252 code page,
// and the runtime's string functions whose exact behaviour the system relies on.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace rt {

using String = QString;

// Windows-1252 byte -> character (bytes the code page leaves undefined map to the same code point).
QChar charFromByte(std::uint8_t byte);
String fromWindows1252(const char* data, std::size_t size);
String fromWindows1252(const QByteArray& bytes);
// Character -> Windows-1252 byte; characters the code page lacks become '?'.
QByteArray toWindows1252(const String& text);

// 1-based search like the runtime's InStr; 0 when not found. textCompare: case-insensitive. A start below 1
// fails with error 5; a start past the end gives 0; an empty needle gives start (up to Len + 1).
int InStr(int start, const String& haystack, const String& needle, bool textCompare = false);
String LCase(const String& text);
String UCase(const String& text);
String Left(const String& text, int length);
String Right(const String& text, int length);
// Left, Right and Mid fail with error 5 for a negative length, Mid also for a start below 1.
// Mid without a length takes the rest of the text.
String Mid(const String& text, int start);
String Mid(const String& text, int start, int length);
// Blanks (code 32) only: tabs and line breaks stay.
String LTrim(const String& text);
String RTrim(const String& text);
String Trim(const String& text);

} // namespace rt
