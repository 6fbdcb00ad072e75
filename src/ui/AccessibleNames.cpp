#include "ui/AccessibleNames.h"

#include "ui/Controls.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <array>

namespace {

struct AccessibleName
{
    const char *control;
    const char *name; // UTF-8
};

// Controls that show a value: read as "name: caption", signs as words.
constexpr std::array kValueLabels = std::to_array<AccessibleName>({
    {"lblconto", "Tempo restante"},
    {"lblvalb", "Valore di a"},
    {"lblvala", "Valore di b"},
    {"lblNum3", "Coefficiente del primo termine"},
    {"lblmon", "Lettera del primo termine"},
    {"lblNum1", "Coefficiente del secondo termine"},
    {"lblmon3", "Lettera del secondo termine"},
    {"lblNum2", "Coefficiente del terzo termine"},
    {"lblmon4", "Lettera del terzo termine"},
    {"lblNum4", "Coefficiente del quarto termine"},
    {"lblmon1", "Lettera del quarto termine"},
    {"lblMessage", "Esito"},
    {"lblScore", "Risposte esatte"},
    {"lblScore1", "Risposte errate"},
    {"lblScore2", "Risposte totali"},
    {"lblnome1", "Sfidante"},
    {"lblnome", "Detentore del record"},
    {"lblpunti", "Punti del record"},
});

// Controls whose name does not change. Buttons and the answer box are named
// by the caption shown on or beside them, so voice control can say it.
constexpr std::array kFixedNames = std::to_array<AccessibleName>({
    {"Image1", "Cronometro"},
    {"Label4", "uguale"},
    {"txtAnswer", "Inserisci il valore"},
    {"txtAnswer1", "Nuovo esercizio"},
    {"cmdNext", "Nuovo calcolo"},
    {"cmdExit", "Exit"},
    {"Command1", "Pulsante senza funzione"},
    {"lblTime", "Timer"},
});

// Descriptions in place of a tooltip that is not Italian or does not say
// what the control does.
constexpr std::array kDescriptions = std::to_array<AccessibleName>({
    {"cmdExit", "Termina la partita e salva il record se lo hai battuto"},
});

const char *const kNextDescription = "Passa al calcolo successivo";
const char *const kWhatToPress =
    "Premi un tasto qualsiasi per passare alla casella della risposta, poi scrivi il risultato e premi Invio.";

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

void applyAccessibleNames(const Controls &controls)
{
    QWidget *root = controls.surface;
    root->setAccessibleName(QStringLiteral("Tavola"));
    for (const AccessibleName &entry : kValueLabels)
        if (auto *label = root->findChild<Label *>(QString::fromLatin1(entry.control)))
            label->setAccessiblePrefix(QString::fromUtf8(entry.name), &spokenSigns);
    for (const AccessibleName &entry : kFixedNames)
        if (auto *widget = root->findChild<QWidget *>(QString::fromLatin1(entry.control)))
            widget->setAccessibleName(QString::fromUtf8(entry.name));
    for (QWidget *widget : root->findChildren<QWidget *>())
        if (!widget->toolTip().isEmpty())
            widget->setAccessibleDescription(widget->toolTip().simplified());
    for (const AccessibleName &entry : kDescriptions)
        if (auto *widget = root->findChild<QWidget *>(QString::fromLatin1(entry.control)))
            widget->setAccessibleDescription(QString::fromUtf8(entry.name));
    controls.cmdNext->setAccessibleDescription(nextButtonDescription());
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
    const std::array<Label *, 8> row{c.lblNum3, c.lblmon, c.lblNum1, c.lblmon3,
                                     c.lblNum2, c.lblmon4, c.lblNum4, c.lblmon1};
    static const QString whatToPress = QString::fromUtf8(kWhatToPress);
    static const QString plus = QString::fromUtf8("più ");
    // Each term is read as its sign, its number and its letter apart:
    // "2a" alone could be read as the ordinal "seconda".
    QString sentence;
    sentence.reserve(200);
    sentence += QLatin1String("Espressione:");
    for (std::size_t i = 0; i < row.size(); i += 2) {
        QStringView coefficient = row[i]->caption();
        sentence += u' ';
        if (coefficient.startsWith(u'-') || coefficient.startsWith(u'+')) {
            sentence += coefficient.startsWith(u'-') ? QStringLiteral("meno ") : plus;
            coefficient = coefficient.mid(1);
        }
        if (!coefficient.isEmpty()) {
            sentence += coefficient;
            sentence += u' ';
        }
        sentence += row[i + 1]->caption();
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
    static const QString description = QString::fromUtf8(kNextDescription);
    return description;
}
