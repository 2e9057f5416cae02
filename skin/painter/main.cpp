// Draws every skin picture of the program into a folder: ondara-skin-painter <folder>.
// The output is deterministic, so redrawing leaves unchanged pictures byte-identical.
#include "../../platform/runtime/SkinCatalog.h"
#include "Skins.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSet>
#include <cstdio>

namespace {

namespace sk = rt::skin;

bool checkAgainstCatalog(const painter::Pictures& pictures) {
    bool ok = true;
    QSet<QString> seen;
    for (const painter::Picture& picture : pictures) {
        const QByteArray name = picture.file.toUtf8();
        const sk::Entry* entry = sk::find(std::string_view(name.constData(), name.size()));
        if (!entry) {
            std::fprintf(stderr, "%s is not in the skin catalogue\n", name.constData());
            ok = false;
        } else if (picture.image.size() != QSize(entry->width, entry->height)) {
            std::fprintf(stderr, "%s is %dx%d, the catalogue says %dx%d\n", name.constData(),
                         picture.image.width(), picture.image.height(), entry->width, entry->height);
            ok = false;
        }
        if (seen.contains(picture.file)) {
            std::fprintf(stderr, "%s is drawn twice\n", name.constData());
            ok = false;
        }
        seen.insert(picture.file);
    }
    for (const sk::Entry& entry : sk::kCatalog) {
        if (!seen.contains(QString::fromUtf8(entry.file.data(), entry.file.size()))) {
            std::fprintf(stderr, "%s is not drawn\n", entry.file.data());
            ok = false;
        }
    }
    return ok;
}

bool save(const QDir& folder, const painter::Picture& picture) {
    const QByteArray name = picture.file.toUtf8();
    const sk::Entry* entry = sk::find(std::string_view(name.constData(), name.size()));
    const bool icon = picture.file.endsWith(QStringLiteral(".ico"));
    // Skins and controls are opaque RGB so no alpha can creep into a key colour; icons keep their alpha.
    const QImage image = entry->kind == sk::Kind::Icon ? picture.image.convertToFormat(QImage::Format_ARGB32)
                                                       : picture.image.convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(folder.filePath(picture.file), icon ? "ico" : "png");
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", name.constData(), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ondara-skin-painter <output folder>\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    painter::Pictures all;
    for (auto paint : {painter::paintPlayer, painter::paintSa, painter::paintPlayList, painter::paintInfoFile,
                       painter::paintAcerca, painter::paintSharedControls}) {
        painter::Pictures some = paint();
        all.insert(all.end(), some.begin(), some.end());
    }
    if (!checkAgainstCatalog(all))
        return 1;
    for (const painter::Picture& picture : all)
        if (!save(folder, picture))
            return 1;
    std::printf("%zu pictures drawn into %s\n", all.size(), qPrintable(folder.absolutePath()));
    return 0;
}
