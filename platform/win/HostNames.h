#pragma once
// Host file names are bytes, usually UTF-8. The system's text is QString, so names are converted here and
// only here. The conversion is lossless: a byte that is not part of valid UTF-8 becomes the lone low
// surrogate U+DC00 + byte (valid UTF-8 never yields one), and goes back to the same byte. For names that are
// valid UTF-8 this is exactly QString::fromUtf8 / toUtf8, so QFile sees the same names.
#include <QByteArray>
#include <QString>

namespace rt {

QString hostString(const QByteArray& hostBytes);
// The bytes to hand to open(), stat() and friends for a host path that came from hostPathOf or Dir.
QByteArray hostBytes(const QString& hostPath);

} // namespace rt
