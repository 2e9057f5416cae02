#pragma once
// A drive letter backed by a fresh temporary folder, installed as the drive table for one test
// (C: stays "/"). Builds fixture trees and converts between the drive's Windows and host paths.
#include "platform/win/Drives.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class TempDrive {
  public:
    explicit TempDrive(QChar letter = u'X', int type = rt::kDriveFixed);
    ~TempDrive();
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    const QString& hostRoot() const { return root_; }
    // "Audio/Take 1.wav" -> host path below the root.
    QString host(const QString& relative) const;
    // "Audio/Take 1.wav" -> "X:\Audio\Take 1.wav".
    QString windows(const QString& relative) const;

    // Create a file (and its folders) with the given bytes; names may carry host-name escapes.
    void makeFile(const QString& relative, const QByteArray& content = {}) const;
    void makeFolder(const QString& relative) const;
    void makeLink(const QString& relative, const QString& target) const;

  private:
    QTemporaryDir dir_;
    QString root_;
    QChar letter_;
};

} // namespace testing_support
