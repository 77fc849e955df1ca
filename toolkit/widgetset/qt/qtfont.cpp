#include "toolkit/widgetset/qt/qtfont.h"

#include "toolkit/qt/qtconvert.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPalette>

#include <algorithm>

QFont QtFont(const TFont& Font)
{
    QFont F(ToQt(Font.Name));
    F.setPixelSize(Font.Height > 0 ? Font.Height : 11);
    F.setBold(Font.Bold);
    F.setUnderline(Font.Underline);
    if (IsTitlingFace(Font)) {
        F.setCapitalization(QFont::SmallCaps);
    }
    if (IsDigitFace(Font)) {
        F.setPixelSize(DigitDrawnHeight(Font));
        F.setStretch(DigitStretchPercent);
    }
    return F;
}

TTextMetrics QtMetrics(const TFont& Font)
{
    if (IsDigitFace(Font)) {
        return DigitMetrics(Font);
    }
    TTextMetrics M;
    const QFontMetrics Metrics(QtFont(Font));
    M.Ascent = Metrics.ascent();
    M.Descent = Metrics.descent();
    M.Height = Metrics.height();
    return M;
}

QColor QtColor(TColor Color)
{
    if ((Color & 0xFF000000u) == clSystemColor) {
        const QPalette P = QApplication::palette();
        switch (Color & 0xFF) {
        case 6: // window frame
            return QColor(Qt::black);
        case 8: // window text
            return P.color(QPalette::WindowText);
        case 15: // button face
            return P.color(QPalette::Button);
        case 16: // button shadow
            return P.color(QPalette::Dark);
        case 20: // button highlight
            return P.color(QPalette::Light);
        case 21: // 3-D dark shadow
            return P.color(QPalette::Shadow);
        case 22: // 3-D light
            return P.color(QPalette::Midlight);
        default:
            return P.color(QPalette::Window);
        }
    }
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

void InstallQtFontSubstitutions()
{
    // Metric-compatible where such a face exists (Liberation Sans for Arial), otherwise
    // the nearest in look: a small sans for the dialog face, a roman for the titling one.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
        { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("Arial"),
        { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
    QFont::insertSubstitutions(QStringLiteral("Felix Titling"),
        { QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif") });
}
