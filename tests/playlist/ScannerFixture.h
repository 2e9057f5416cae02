#pragma once
// The playlist window on the fake engine with a drive of its own (P:) for project files the tests write.
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "tests/player/PlayerFixture.h"
#include "tests/support/TempDrive.h"

#include <QByteArray>
#include <QStringList>
#include <dirent.h>

namespace playlist_test {

// 96 bytes, the header text and its NUL, then `body`: the scan starts right after the NUL.
inline QByteArray project(const QByteArray& body, const QByteArray& text = "abcd") {
    return QByteArray(96, 'h') + text + QByteArray(1, '\0') + body;
}

// "LIST", four size bytes, then the chunk type.
inline QByteArray listChunk(const QByteArray& type = "mdrl") {
    return QByteArray("LIST") + QByteArray("\x10\0\0\0", 4) + type;
}

// Descriptors the process holds open now.
inline int openDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

class ScannerTest : public player_test::PlayerTest {
  protected:
    void SetUp() override { PlayerTest::SetUp(); }

    static playlist::PlayList& window() { return playlist::playList(); }
    static rt::ListBox& list() { return playlist::playList().d().ListFiles; }
    static rt::shell::ProgressBar& bar() { return player::player().d().XP_ProgressBar1; }

    QString write(const QString& name, const QByteArray& bytes) {
        drive_.makeFile(name, bytes);
        return drive_.windows(name);
    }

    // A list-mode scan into an emptied ListFiles with " " as indent: the result and the lines added.
    struct Scan {
        bool result;
        QStringList lines;
    };
    static Scan scan(const QString& path, bool agregar = true, const QString& sangria = QStringLiteral(" ")) {
        list().Clear();
        const bool result = window().ExtraerNombres_Archivos(path, list(), sangria, agregar);
        return {result, lines()};
    }
    static QStringList lines() {
        QStringList out;
        for (int i = 0; i < list().ListCount(); ++i)
            out << list().List(i);
        return out;
    }
    // A bar whose range and value no scan would set.
    static void markBar() {
        bar().setMin(-3);
        bar().setMax(-2);
        bar().setValue(-1);
    }

    testing_support::TempDrive drive_{u'P'};
};

} // namespace playlist_test
