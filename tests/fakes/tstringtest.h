#pragma once

#include "toolkit/qt/qtconvert.h"

#include <QStringList>
#include <QTest>

#include <vector>

// QCOMPARE on the toolkit's text: a failed comparison prints both texts as Qt's own
// strings would be printed, instead of "<unknown>".
namespace QTest {
inline char* toString(const TString& Text)
{
    return toString(ToQt(Text));
}
}

// A list of toolkit texts as a QStringList, for rows written as Qt lists.
inline QStringList ToQtList(const std::vector<TString>& Texts)
{
    QStringList List;
    for (const TString& Text : Texts) {
        List << ToQt(Text);
    }
    return List;
}
