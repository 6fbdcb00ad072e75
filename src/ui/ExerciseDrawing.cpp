#include "ui/ExerciseDrawing.h"

#include "ui/AccessibleNames.h"
#include "ui/Controls.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Surface.h"

#include <QAccessible>
#include <QLineEdit>

namespace {

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

} // namespace

void clearExercise(const Controls &c)
{
    // setText, not clear(): a fresh box has nothing to undo. The hidden box
    // was emptied at the verdict already; emptying it here, just before it
    // takes the focus, would make screen readers skip the exercise.
    if (!c.txtAnswer->text().isEmpty() || c.txtAnswer->isUndoAvailable())
        c.txtAnswer->setText(QString());
    if (!c.txtAnswer1->text().isEmpty())
        c.txtAnswer1->setText(QString());
    c.lblMessage->setCaption(QString());
    for (Label *label : c.letterLabels() + c.coefficientLabels())
        label->setForeColour(kGreen);
}

void showExercise(const Controls &c, const ExerciseView &view)
{
    for (std::size_t slot = 0; slot < view.letters.size(); ++slot) {
        c.letters[slot]->setCaption(view.letters[slot]);
        c.coefficients[slot]->setCaption(view.coefficientCaptions[slot]);
    }
    c.lblvala->setCaption(view.valueOfB);
    c.lblvalb->setCaption(view.valueOfA);
    // The sentence is in place before the focus lands; the focus moves
    // before the button is disabled, so it never passes through the answer
    // box on its way.
    c.txtAnswer1->setAccessibleDescription(describeExercise(c));
    c.txtAnswer1->setFocus();
    // Disabled once the focus has left it: disabling the button that holds
    // the focus would first pass it on along the tab order, a second focus
    // move for nothing.
    c.cmdNext->setEnabled(false);
    if (c.cmdNext->accessibleDescription() != nextButtonDescription())
        c.cmdNext->setAccessibleDescription(nextButtonDescription());
}

void showVerdict(const Controls &c, const Verdict &verdict, std::int16_t expectedValue)
{
    c.lblMessage->setCaption(verdict.message);
    // Asked of Qt only while a screen reader listens: the question alone
    // would build the label's accessible interface at every answer.
    if (QAccessible::isActive()) {
        QAccessibleEvent announce(c.lblMessage, QAccessible::Alert);
        QAccessible::updateAccessibility(&announce);
    }
    if (verdict.right) {
        for (Label *label : c.letterLabels())
            label->setForeColour(kGreen);
    } else {
        for (Label *label : c.letterLabels() + c.coefficientLabels())
            label->setForeColour(kRed);
        c.surface->setBackColour(kBlack);
        if (verdict.wrongCaption)
            c.lblScore1->setCaption(*verdict.wrongCaption);
    }
    c.lblScore->setCaption(verdict.rightCaption);
    c.lblScore2->setCaption(verdict.totalCaption);
    // Screen readers read a label's change only when it has the focus: the
    // verdict travels with the button that takes it. The hidden box is
    // emptied now, while nothing reads it.
    c.cmdNext->setAccessibleDescription(describeVerdict(verdict.right, expectedValue));
    if (!c.txtAnswer1->text().isEmpty())
        c.txtAnswer1->setText(QString());
    c.cmdNext->setEnabled(true);
    c.cmdNext->setFocus();
}
