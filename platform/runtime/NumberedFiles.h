#pragma once
// File access by number: one process-wide table of files opened for reading their bytes as stored.
// Positions count from 1. Used from the user-interface thread only.
#include "platform/base/Text.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rt {

// Numbers 1 to 511, as in the runtime.
constexpr int kFirstFileNumber = 1;
constexpr int kLastFileNumber = 511;
// The runtime's "Bad record number": a position below 1.
constexpr int kBadRecordNumber = 63;

// The lowest number not in use; error 67 when every number is taken.
int FreeFile();

// Opens a file under a number for reading. A missing file fails with error 53, one the user may not read
// with 70, a folder or anything that is not a regular file (pipe, socket, device) with 75 without being
// opened, a number in use with 55, a number outside 1..511 with 52.
void OpenForBinaryRead(int number, const String& windowsPath);
void openHostFileForBinaryRead(int number, const QString& hostPath);

// The byte at a 1-based position; 0 past the end of the file. A number not open fails with error 52,
// a position below 1 with error 63.
std::uint8_t GetByte(int number, std::int64_t position1Based);
// count bytes from a 1-based position; the part past the end of the file reads as zeros.
QByteArray GetBytes(int number, std::int64_t position1Based, int count);
// The file's length in bytes.
std::int64_t LOF(int number);

// Closing a number that is not open does nothing, as in the runtime; one outside 1..511 fails with 52.
void Close(int number);
// Closes every file in the table, whoever opened it.
void CloseAll();
bool isOpen(int number);

} // namespace rt
