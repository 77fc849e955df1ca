#include "toolkit/controls/graphics.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>

QFont TFont::ToQFont() const
{
    QFont F(Name);
    F.setPixelSize(Height > 0 ? Height : 11);
    F.setBold(Bold);
    F.setUnderline(Underline);
    // A titling face has capitals only: its small letters are small capitals.
    if (Name == QLatin1String("Felix Titling")) {
        F.setCapitalization(QFont::SmallCaps);
    }
    // Our seven-segment face draws its digits taller (0.98 em) and wider (0.82 em)
    // than the face the layouts were designed with (about 0.7 and 0.5 em): drawn smaller
    // and narrowed, "00" at 63 pixels keeps its 64 x 63 box.
    if (IsDigitFace()) {
        F.setPixelSize(std::max(1, int(Height * 0.70 + 0.5)));
        F.setStretch(88);
    }
    return F;
}

TFont FontOf(const QString& Name, int Height, TColor Color, bool Bold)
{
    TFont F;
    F.Name = Name;
    F.Height = Height;
    F.Color = Color;
    F.Bold = Bold;
    return F;
}

bool TFont::IsDigitFace() const
{
    return Name == QLatin1String("DS-Digital");
}

QColor ToQColor(TColor Color)
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

void InstallFontSubstitutions()
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
