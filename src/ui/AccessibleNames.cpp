#include "ui/AccessibleNames.h"

#include "ui/Controls.h"
#include "ui/Label.h"
#include "ui/Surface.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <array>

namespace {

struct AccessibleName
{
    const char *control;
    const char *name; // UTF-8
};

// Controls that show a value: read as "name: caption".
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

// Controls whose name does not change.
constexpr std::array kFixedNames = std::to_array<AccessibleName>({
    {"Image1", "Cronometro"},
    {"Label4", "uguale"},
    {"txtAnswer", "Risposta"},
    {"txtAnswer1", "Scrivi la risposta"},
    {"cmdNext", "Nuovo calcolo"},
    {"cmdExit", "Esci"},
    {"Command1", "Pulsante senza funzione"},
    {"lblTime", "Timer"},
});

} // namespace

void applyAccessibleNames(const Controls &controls)
{
    QWidget *root = controls.surface;
    root->setAccessibleName(QStringLiteral("Tavola"));
    for (const AccessibleName &entry : kValueLabels)
        if (auto *label = root->findChild<Label *>(QString::fromLatin1(entry.control)))
            label->setAccessiblePrefix(QString::fromUtf8(entry.name));
    for (const AccessibleName &entry : kFixedNames)
        if (auto *widget = root->findChild<QWidget *>(QString::fromLatin1(entry.control)))
            widget->setAccessibleName(QString::fromUtf8(entry.name));
    for (QWidget *widget : root->findChildren<QWidget *>())
        if (!widget->toolTip().isEmpty())
            widget->setAccessibleDescription(widget->toolTip());
}

QString describeExercise(const Controls &c)
{
    const std::array<Label *, 8> row{c.lblNum3, c.lblmon, c.lblNum1, c.lblmon3,
                                     c.lblNum2, c.lblmon4, c.lblNum4, c.lblmon1};
    QStringList terms;
    for (std::size_t i = 0; i < row.size(); i += 2)
        terms << row[i]->caption() + row[i + 1]->caption();
    return QStringLiteral("Espressione: %1. a vale %2, b vale %3.")
        .arg(terms.join(u' '), c.lblvalb->caption(), c.lblvala->caption());
}
