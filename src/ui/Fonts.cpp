#include "ui/Fonts.h"

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
    // Qt turns to a face's substitutes only when the face itself is not
    // installed, and passes over those that are not installed either: the
    // font database, whose first full reading lists every face of the
    // machine, need not be asked here.
    for (const Substitute &s : kSubstitutes) {
        QStringList standIns;
        for (const char *standIn : s.standIns)
            standIns << QString::fromLatin1(standIn);
        QFont::insertSubstitutions(QString::fromLatin1(s.face), standIns);
    }
}

QFont fontFor(const FontSpec &design)
{
    QFont font(QString::fromLatin1(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    font.setItalic(design.italic);
    // Captions are set without kerning, as classic Windows text is.
    font.setKerning(false);
    // Nor ligatures: plain Latin captions need no shaping, which would copy
    // each face's layout tables into memory (scripts that need shaping still
    // get it).
    font.setStyleStrategy(QFont::PreferNoShaping);
    // Arial Black is a heavier cut than bold: ask for the heaviest weight.
    if (qstrcmp(design.face, "Arial Black") == 0)
        font.setWeight(QFont::Black);
    return font;
}
