// How long the settings file takes to read and to write as it grows. Each file holds,
// after a filler of one shape, a "[form]" section with its "couleur" entry at the very
// end, so that reading walks the whole file before it finds the entry, and writing
// rewrites it in place.
//
//   no "="          short lines without "=" (neither entries nor sections)
//   unclosed "["    short lines opening a section name that never closes
//   long values     entries of 1,000-character values
//   many sections   a section with one entry every two lines
//   CR / LF / CR LF short entries ending in a lone CR, in LF, in CR LF
//
// Prints a table: file size, shape, median processor time (user and system) of a few
// reads and writes. Processor time rather than elapsed time, so that other programs
// running on the machine do not inflate the figures.
// Run: build/release/bench/profile/bench_profile [runs] [shape filter] [largest MB]
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/profile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct TShape {
    const char* Name;
    std::function<QByteArray(int Index)> Line;
    const char* Eol; // the line end of the entry at the end
};

QByteArray Filled(const TShape& Shape, qsizetype Size)
{
    const QByteArray Entry = QByteArray("[form]") + Shape.Eol + "couleur=argent.bmp" + Shape.Eol;
    QByteArray Data;
    Data.reserve(Size);
    for (int i = 0; Data.size() < Size - Entry.size();) {
        const QByteArray Line = Shape.Line(i++);
        if (Data.size() + Line.size() > Size - Entry.size()) {
            break;
        }
        Data += Line;
    }
    return Data + Entry;
}

void Put(const QString& Path, const QByteArray& Bytes)
{
    QFile File(Path);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || File.write(Bytes) != Bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Path));
        std::exit(1);
    }
}

// Processor time of this thread, in milliseconds.
double CpuMs()
{
    timespec T {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return double(T.tv_sec) * 1e3 + double(T.tv_nsec) / 1e6;
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication App(argc, argv);
    const int Runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QByteArray Filter = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    const int Largest = argc > 3 ? atoi(argv[3]) : 16;

    const QByteArray Value(1000, 'v');
    const std::vector<TShape> Shapes = {
        { "no \"=\"", [](int) { return QByteArray("abcdefgh\r\n"); }, "\r\n" },
        { "unclosed \"[\"", [](int) { return QByteArray("[abcdefg\r\n"); }, "\r\n" },
        { "long values",
            [&](int i) { return "k" + QByteArray::number(i) + "=" + Value + "\r\n"; }, "\r\n" },
        { "many sections",
            [](int i) { return "[s" + QByteArray::number(i) + "]\r\nk=v\r\n"; }, "\r\n" },
        { "CR", [](int i) { return "k" + QByteArray::number(i) + "=v\r"; }, "\r" },
        { "LF", [](int i) { return "k" + QByteArray::number(i) + "=v\n"; }, "\n" },
        { "CR LF", [](int i) { return "k" + QByteArray::number(i) + "=v\r\n"; }, "\r\n" },
    };

    QTemporaryDir Folder;
    const QString Path = Folder.filePath(QStringLiteral("parametre.ini"));
    std::printf("| size | shape | read (ms) | write (ms) |\n|---|---|---|---|\n");
    for (int Mb : { 1, 4, 16 }) {
        if (Mb > Largest) {
            continue;
        }
        // The largest file the reader takes is ProfileMaxSize (16 MiB).
        const qsizetype Size = qsizetype(Mb) * 1024 * 1024;
        for (const TShape& Shape : Shapes) {
            if (!Filter.isEmpty() && !QByteArray(Shape.Name).contains(Filter)) {
                continue;
            }
            const QByteArray Data = Filled(Shape, Size);
            std::vector<double> Reads, Writes;
            // Run -1 is not counted: it only brings the memory allocator to its steady
            // state for this size (the first large blocks cost page faults).
            for (int Run = -1; Run < Runs; ++Run) {
                Put(Path, Data);
                double Start = CpuMs();
                const TString Read
                    = GetPrivateProfileString(u"form", u"couleur", u"?", FromQt(Path));
                const double ReadMs = CpuMs() - Start;
                Start = CpuMs();
                const bool Written
                    = WritePrivateProfileString(u"form", u"couleur", u"noir.bmp", FromQt(Path));
                const double WriteMs = CpuMs() - Start;
                if (Run >= 0) {
                    Reads.push_back(ReadMs);
                    Writes.push_back(WriteMs);
                }
                if (Read != u"argent.bmp" || !Written) {
                    std::fprintf(stderr, "%s, %d MB: read \"%s\", write %s\n", Shape.Name, Mb,
                        qPrintable(ToQt(Read)), Written ? "done" : "failed");
                }
            }
            std::printf("| %d MB | %s | %.1f | %.1f |\n", Mb, Shape.Name, Median(Reads),
                Median(Writes));
            std::fflush(stdout);
        }
    }
    return 0;
}
