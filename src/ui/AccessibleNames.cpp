#include "ui/AccessibleNames.h"

#include "ui/Controls.h"
#include "ui/Label.h"
#include "ui/WindowDescription.h"

#include <QWidget>

#include <algorithm>

namespace {

const char *const kWhatToPress =
    "Premi un tasto qualsiasi per passare alla casella della risposta, poi scrivi il risultato e premi Invio.";

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

void applySpeech(QWidget *control, const Speech &speech)
{
    const QString name = QString::fromUtf8(speech.name);
    if (speech.kind == Speech::Named)
        control->setAccessibleName(name);
    else if (auto *label = qobject_cast<Label *>(control); label && speech.kind == Speech::ReadsValue)
        label->setAccessiblePrefix(name, &spokenSigns);
    if (speech.description)
        control->setAccessibleDescription(QString::fromUtf8(speech.description));
    else if (!control->toolTip().isEmpty())
        control->setAccessibleDescription(control->toolTip().simplified());
}

QString spokenSigns(const QString &text)
{
    // Labels are renamed at every exercise: most captions have no sign.
    const bool hasSign = std::any_of(text.begin(), text.end(),
                                     [](QChar c) { return c == u'-' || c == u'+' || c == QChar(0x2212); });
    if (!hasSign)
        return text;
    QString spoken;
    spoken.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool beforeDigit = i + 1 < text.size() && isDigit(text.at(i + 1));
        if (beforeDigit && (c == u'-' || c == QChar(0x2212)))
            spoken += QStringLiteral("meno ");
        else if (beforeDigit && c == u'+')
            spoken += QString::fromUtf8("più ");
        else
            spoken += c;
    }
    return spoken;
}

QString describeExercise(const Controls &c)
{
    static const QString whatToPress = QString::fromUtf8(kWhatToPress);
    static const QString plus = QString::fromUtf8("più ");
    // Each term is read as its sign, its number and its letter apart:
    // "2a" alone could be read as the ordinal "seconda".
    QString sentence;
    sentence.reserve(200);
    sentence += QLatin1String("Espressione:");
    for (std::size_t slot = 0; slot < c.coefficients.size(); ++slot) {
        QStringView coefficient = c.coefficients[slot]->caption();
        sentence += u' ';
        if (coefficient.startsWith(u'-') || coefficient.startsWith(u'+')) {
            sentence += coefficient.startsWith(u'-') ? QStringLiteral("meno ") : plus;
            coefficient = coefficient.mid(1);
        }
        if (!coefficient.isEmpty()) {
            sentence += coefficient;
            sentence += u' ';
        }
        sentence += c.letters[slot]->caption();
    }
    sentence += QLatin1String(". a vale ") + spokenSigns(c.lblvalb->caption()) + QLatin1String(", b vale ")
                + spokenSigns(c.lblvala->caption()) + QLatin1String(". ") + whatToPress;
    return sentence;
}

QString describeVerdict(bool right, std::int16_t expectedValue)
{
    const QString verdict = right ? QStringLiteral("Esatto. Sei okkk!!!")
                                  : QStringLiteral("Sbagliato!! Il risultato giusto era %1.")
                                        .arg(spokenSigns(QString::number(expectedValue)));
    return verdict + QStringLiteral(" Premi Invio per un nuovo calcolo.");
}

QString nextButtonDescription()
{
    static const QString description = QString::fromUtf8(kNextButtonDescription);
    return description;
}
