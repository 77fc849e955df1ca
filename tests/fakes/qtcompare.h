#pragma once

// Lets Qt Test compare the toolkit's values with Qt's (QCOMPARE(Label->Caption(),
// QStringLiteral("…")), QCOMPARE(C->BoundsRect(), QRect(…))) and print them when they
// differ, and collect captions into a QStringList.

#include "toolkit/qt/qtconvert.h"

#include <QtTest>

#include <vector>

inline bool operator==(const TString& A, const QString& B)
{
    return ToQt(A) == B;
}
inline bool operator==(const std::vector<TString>& A, const QStringList& B)
{
    if (A.size() != size_t(B.size())) {
        return false;
    }
    for (size_t i = 0; i < A.size(); ++i) {
        if (!(A[i] == B[qsizetype(i)])) {
            return false;
        }
    }
    return true;
}
inline bool operator==(const TRect& A, const QRect& B)
{
    return ToQt(A) == B;
}
inline bool operator==(const TSize& A, const QSize& B)
{
    return ToQt(A) == B;
}
inline bool operator==(const TPoint& A, const QPoint& B)
{
    return ToQt(A) == B;
}
// Same size and pixels (a QImage of another format is taken as its ARGB32 pixels).
inline bool operator==(const TBitmap32& A, const QImage& B)
{
    return A == FromQt(B);
}
inline QStringList& operator<<(QStringList& List, const TString& Text)
{
    List << ToQt(Text);
    return List;
}

namespace QTest {
template <>
inline char* toString(const TBitmap32& Bitmap)
{
    return toString(QStringLiteral("%1 x %2 bitmap").arg(Bitmap.Width()).arg(Bitmap.Height()));
}
template <>
inline char* toString(const TString& Text)
{
    return toString(ToQt(Text));
}
template <>
inline char* toString(const std::vector<TString>& Texts)
{
    QStringList List;
    for (const TString& Text : Texts) {
        List << ToQt(Text);
    }
    return toString(List.join(QLatin1String(", ")));
}
template <>
inline char* toString(const TRect& R)
{
    return toString(ToQt(R));
}
template <>
inline char* toString(const TSize& S)
{
    return toString(ToQt(S));
}
template <>
inline char* toString(const TPoint& P)
{
    return toString(ToQt(P));
}
}
