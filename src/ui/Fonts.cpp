#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

struct Substitute
{
    const char *face;
    const char *standIns[3];
};

// Closest installed face first. MS Sans Serif and Arial Black have no
// metric twin; a sans face of the same size and weight stands in.
constexpr Substitute kSubstitutes[] = {
    {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif"}},
    {"MS Sans Serif", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Arial Black", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
};

} // namespace

void installFontSubstitutes()
{
    const QStringList installed = QFontDatabase::families();
    for (const Substitute &s : kSubstitutes) {
        const QString face = QString::fromLatin1(s.face);
        if (installed.contains(face, Qt::CaseInsensitive))
            continue;
        QStringList standIns;
        for (const char *standIn : s.standIns)
            if (installed.contains(QString::fromLatin1(standIn), Qt::CaseInsensitive))
                standIns << QString::fromLatin1(standIn);
        if (!standIns.isEmpty())
            QFont::insertSubstitutions(face, standIns);
    }
}

QFont fontFor(const FontSpec &design)
{
    QFont font(QString::fromLatin1(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    font.setItalic(design.italic);
    // Captions are set without kerning, as classic Windows text is; it also
    // lets a label measure digits from their glyph advances alone.
    font.setKerning(false);
    // Arial Black is a heavier cut than bold: ask for the heaviest weight.
    if (qstrcmp(design.face, "Arial Black") == 0)
        font.setWeight(QFont::Black);
    return font;
}
