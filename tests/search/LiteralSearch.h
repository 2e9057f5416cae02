#pragma once
// The folder walk and file listing step by step, as first written against the runtime's single listing:
// after each subfolder the parent is listed again from its first entry and the entries already handled
// are passed over. The search's own walk must give the same folders and candidates in the same order.
#include "platform/base/Errors.h"
#include "platform/win/FileSystem.h"
#include "playlist/Buscar.h"

#include <QStringList>

namespace search_literal {

inline void buscarSubcarpetas(const QString& carpeta, QStringList& folders) {
    rt::endSilentlyOnError([&] {
        const QString raiz = carpeta + "\\";
        QString name = rt::Dir(raiz, rt::kAttrDirectory);
        int k = 1;
        while (!name.isEmpty()) {
            if (name != "." && name != ".." && rt::GetAttr(raiz + name) == rt::kAttrDirectory) {
                const QString ruta = raiz + name;
                folders << ruta;
                buscarSubcarpetas(ruta, folders);
                name = rt::Dir(raiz, rt::kAttrDirectory);
                for (int skipped = 1; skipped < k; ++skipped)
                    name = rt::Dir();
            }
            name = rt::Dir();
            ++k;
        }
    });
}

inline QStringList listarArchivos(const QStringList& folders) {
    QStringList candidates;
    for (const QString& folder : folders) {
        rt::endSilentlyOnError([&] {
            for (QString name = rt::Dir(folder + "\\", rt::kAttrNormal); !name.isEmpty(); name = rt::Dir())
                if (playlist::isCandidateName(name))
                    candidates << folder + "\\" + name;
        });
    }
    return candidates;
}

struct Result {
    QStringList folders;
    QStringList candidates;
};

// Both lists for a search of `ruta` (without a trailing separator).
inline Result search(const QString& ruta) {
    Result result;
    result.folders << ruta;
    buscarSubcarpetas(ruta, result.folders);
    result.candidates = listarArchivos(result.folders);
    return result;
}

} // namespace search_literal
