// The project scanner on random and mutated project bytes: the buffered scanner of the playlist must agree
// with the plain byte-by-byte reading (tests/playlist/ReferenceScanner.h) on the scan's bounds, the lines
// it adds, its result and the bar values it sets, in list and in validate mode, and must close its files.
#include "fuzz/FuzzRecipe.h"
#include "fuzz/FuzzWindows.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/ProjectScan.h"
#include "tests/playlist/ReferenceScanner.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>

namespace {

using reference_scan::Effect;
constexpr const char* kTarget = "vip scan";
// The fast scanner refills its buffer every 64 KiB: some inputs put their tokens around that boundary.
constexpr qsizetype kBufferBoundary = 64 * 1024;

QTemporaryDir* gFolder = nullptr;
QString gHostFile;
const QString kWindowsFile = QStringLiteral("T:\\fuzz.vip");

// The fast pass's effects, recorded like the reference's.
class Recording : public playlist::scan::ScanEffects {
  public:
    explicit Recording(std::vector<Effect>& effects) : effects_(effects) {}
    bool pump() override { return true; }
    void addPath(const rt::String& path) override { effects_.push_back({Effect::Line, 0, path}); }
    void setBarValue(std::int32_t value) override { effects_.push_back({Effect::BarValue, value, {}}); }

  private:
    std::vector<Effect>& effects_;
};

// One of the characters of a literal, its NULs included.
template <size_t N> char pick(fuzzing::Recipe& r, const char (&from)[N]) {
    return from[r.next() % (N - 1)];
}

void appendPath(fuzzing::Recipe& r, QByteArray& out) {
    static const char* const kExtensions[] = {".wav",  ".WAV", ".Mp3",   ".ogg",   ".fla", ".flac",
                                              ".FLAC", ".aif", ".m4a",   ".wma",   ".txt", ".wa",
                                              ".",     ".w",   ".a.wav", ".x.mp3", ".vip", ".fl"};
    out += pick(r, "CDXzq\0:");
    out += ":\\";
    const int length = r.next() % 24;
    for (int i = 0; i < length; ++i)
        out += pick(r, "abcXYZ \\.>-_:0");
    out += kExtensions[r.next() % std::size(kExtensions)];
    if (r.next() % 4 != 0)
        out += '\0';
}

// A project-like file built from the recipe: a header, then tokens that the scanner reacts to.
QByteArray structuredProject(fuzzing::Recipe& r) {
    QByteArray out(96, 'h');
    const int text = r.next() % 8;
    out += QByteArray(text, 't');
    if (r.next() % 16 != 0)
        out += '\0';
    for (int tokens = 0; !r.done() && tokens < 64; ++tokens) {
        switch (r.next() % 16) {
        case 0:
        case 1:
        case 2:
            appendPath(r, out);
            break;
        case 3:
            out += '\0';
            break;
        case 4:
            out += pick(r, ":\\.L");
            break;
        case 5:
            out += "LIST";
            out += QByteArray(4, char(r.next()));
            out += "mdrl";
            break;
        case 6: {
            static const char* const kOtherTypes[] = {"MDRL", "mdrx", "data", "mdr "};
            out += r.next() % 2 ? "LIST" : "list";
            out += QByteArray(4, char(r.next()));
            out += kOtherTypes[r.next() % std::size(kOtherTypes)];
            break;
        }
        case 7:
            out += "LLIST";
            break;
        case 8: {
            const int run = 1 + r.next() % 16;
            for (int i = 0; i < run; ++i)
                out += char(r.next());
            break;
        }
        case 9:
            if (r.next() % 8 == 0) // reach a buffer boundary, a few bytes before or after it
                out +=
                    QByteArray(std::max<qsizetype>(0, kBufferBoundary - out.size() + r.next() % 16 - 8), 'f');
            break;
        case 10:
            if (r.next() % 32 == 0) // a candidate longer than any path
                out += "C:\\" + QByteArray(32760 + r.next() % 16, 'a') + ".wav";
            break;
        default:
            out += QByteArray(1 + r.next() % 8, pick(r, "ab .:"));
            break;
        }
    }
    return out;
}

// Random bytes seldom spell the chunk: most get one near their end.
QByteArray rawProject(fuzzing::Recipe& r, const uint8_t* data, size_t size) {
    QByteArray out(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (out.size() > 12 && r.next() % 4 != 0)
        out.replace(out.size() - 12 - r.next() % 8, 12, "LIST\1\2\3\4mdrl");
    return out;
}

void writeProject(const QByteArray& bytes) {
    QFile file(gHostFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fuzzing::fail(kTarget, "cannot write the input file");
}

// The buffered pieces against the reference, step by step.
void comparePieces(const QByteArray& bytes, bool listMode) {
    reference_scan::Recorder recorder;
    reference_scan::Scanner reference(recorder);
    const bool expected = reference.extract(kWindowsFile, QStringLiteral(" "), listMode);
    if (bytes.size() <= 97)
        return;
    const int f = rt::FreeFile();
    rt::OpenForBinaryRead(f, kWindowsFile);
    playlist::scan::ProjectBytes fast(f, bytes.size());
    std::vector<Effect> effects;
    Recording recording(effects);
    const std::int64_t start = playlist::scan::headerTextEnd(fast, recording).position;
    if (start != reference.start())
        fuzzing::fail(kTarget, "the scan start differs");
    if (start > 0) {
        const std::int64_t end = playlist::scan::listChunkEnd(fast, start, recording).position;
        if (end != reference.end())
            fuzzing::fail(kTarget, "the scan end differs");
        effects = {
            {Effect::BarMin, 0, {}}, {Effect::BarMax, end, {}}, {Effect::Line, 0, QStringLiteral(" ")}};
        const bool result = playlist::scan::audioPaths(fast, start, end, listMode, recording);
        if (result != expected)
            fuzzing::fail(kTarget, "the result differs");
        if (effects != recorder.effects)
            fuzzing::fail(kTarget, "the lines or bar values differ");
    }
    rt::Close(f);
}

// The playlist window's own scan against the reference.
void compareWindow(bool listMode) {
    reference_scan::Recorder recorder;
    reference_scan::Scanner reference(recorder);
    const rt::String indent = listMode ? QStringLiteral(" ") : rt::String();
    const bool expected = reference.extract(kWindowsFile, indent, listMode);

    playlist::PlayList& window = playlist::playList();
    rt::ListBox& list = window.d().ListFiles;
    list.Clear();
    rt::shell::ProgressBar& bar = player::player().d().XP_ProgressBar1;
    constexpr std::int32_t kUntouched = -7;
    bar.setMin(kUntouched);
    bar.setMax(kUntouched);
    bar.setValue(kUntouched);
    const bool result = listMode ? window.ExtraerNombres_Archivos(kWindowsFile, list, indent, true)
                                 : window.Valido(kWindowsFile);
    if (result != expected)
        fuzzing::fail(kTarget, "the window's result differs");
    std::int64_t min = kUntouched, max = kUntouched, value = kUntouched;
    QStringList lines;
    for (const Effect& effect : recorder.effects) {
        if (effect.kind == Effect::Line)
            lines << effect.text;
        else
            (effect.kind == Effect::BarMin   ? min
             : effect.kind == Effect::BarMax ? max
                                             : value) = effect.value;
    }
    if (bar.Min() != min || bar.Max() != max || bar.Value() != value)
        fuzzing::fail(kTarget, "the window's bar differs");
    QStringList listed;
    for (int i = 0; i < list.ListCount(); ++i)
        listed << list.List(i);
    if (listed != lines)
        fuzzing::fail(kTarget, "the window's lines differ");
    if (window.d().List1.ListCount() != 0)
        fuzzing::fail(kTarget, "validation added to its list");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    gFolder = fuzzing::startWindowsOnDriveT(argc, argv, kTarget);
    gHostFile = gFolder->filePath("fuzz.vip");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Recipe recipe(data, size);
    const bool structured = recipe.next() % 4 != 0;
    const QByteArray bytes = structured ? structuredProject(recipe) : rawProject(recipe, data, size);
    writeProject(bytes);
    const bool listMode = size % 2 == 0;
    comparePieces(bytes, listMode);
    compareWindow(listMode);
    if (rt::FreeFile() != rt::kFirstFileNumber)
        fuzzing::fail(kTarget, "a scan left its file open");
    return 0;
}
