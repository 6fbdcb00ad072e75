#include "ui/Fonts.h"

#include <QStringList>

#include <vector>

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

namespace {

QFont makeFont(const FontSpec &design)
{
    QFont font(QString::fromLatin1(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    font.setItalic(design.italic);
    // Captions are set without kerning, as classic Windows text is; it also
    // lets a label measure digits from their glyph advances alone.
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

} // namespace

QFont fontFor(const FontSpec &design)
{
    // A handful of faces serve every control at every load: each is made
    // once, and the controls share it.
    struct Made
    {
        FontSpec design;
        QFont font;
    };
    static std::vector<Made> made;
    for (const Made &m : made)
        if (qstrcmp(m.design.face, design.face) == 0 && m.design.points == design.points
            && m.design.bold == design.bold && m.design.italic == design.italic)
            return m.font;
    made.push_back({design, makeFont(design)});
    return made.back().font;
}
