#pragma once

// What the fuzz targets share: a check that ends the run the way libFuzzer records a
// crash (the input is saved), and the cutting of an input into fields.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run when a property of the routine under test does not hold.
inline void Check(bool Condition, const char* What, const QString& Detail = QString())
{
    if (!Condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", What);
        if (!Detail.isEmpty()) {
            std::fprintf(stderr, "  %s\n", Detail.toUtf8().constData());
        }
        std::abort();
    }
}

// The input cut at the unit-separator byte 0x1F into Count fields; the last field takes
// the rest of the input, separators included, and missing fields are empty. The seed
// files are written the same way (tests/data/fuzz/generate.py).
inline QList<QByteArray> SplitFields(const uint8_t* Data, size_t Size, int Count)
{
    const QByteArray All(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QList<QByteArray> Fields;
    qsizetype Start = 0;
    while (Fields.size() < Count - 1) {
        const qsizetype At = All.indexOf('\x1F', Start);
        if (At < 0) {
            break;
        }
        Fields << All.mid(Start, At - Start);
        Start = At + 1;
    }
    Fields << All.mid(Start);
    while (Fields.size() < Count) {
        Fields << QByteArray();
    }
    return Fields;
}

// A whole number read from one byte: small values both sides of zero, and the ends of
// the int range for 0x7F and 0x80.
inline int SmallInt(uint8_t Byte)
{
    if (Byte == 0x7F) {
        return INT32_MAX;
    }
    if (Byte == 0x80) {
        return INT32_MIN;
    }
    return int(int8_t(Byte));
}

inline void WriteWholeFile(const QString& FileName, const QByteArray& Bytes)
{
    QFile File(FileName);
    Check(File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size(),
        "the input file is written", FileName);
}

inline QByteArray ReadWholeFile(const QString& FileName)
{
    QFile File(FileName);
    Check(File.open(QIODevice::ReadOnly), "the file can be read back", FileName);
    return File.readAll();
}
