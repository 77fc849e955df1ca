#pragma once

// Lets Qt Test compare the toolkit's text with Qt's (QCOMPARE(Label->Caption(),
// QStringLiteral("…"))) and print it when they differ.

#include "toolkit/qt/qtconvert.h"

#include <QtTest>

inline bool operator==(const TString& A, const QString& B)
{
    return ToQt(A) == B;
}
inline bool operator!=(const TString& A, const QString& B)
{
    return !(A == B);
}

namespace QTest {
template <>
inline char* toString(const TString& Text)
{
    return toString(ToQt(Text));
}
}
