#pragma once
// Project files as the workstation writes them, as far as the playlist reads them: 96 bytes of header, a
// text ended by NUL, the audio paths each ended by NUL, then the "LIST" chunk of type "mdrl".
#include <QByteArray>
#include <QStringList>

namespace testing_support {

QByteArray vipProject(const QStringList& audioPaths, const QByteArray& title = "Proyecto");

} // namespace testing_support
