#pragma once

#include <QString>
#include <cstdint>

class QWidget;
struct Controls;
struct Speech;

// Gives a control its accessible name, the caption a sighted pupil sees
// where it has one, and an Italian description: its tooltip, or what it does
// when the tooltip says nothing useful. Labels that show a value are read as
// "name: value".
void applySpeech(QWidget *control, const Speech &speech);

// Text for speech: a sign before a digit becomes a word ("-7" is read
// "meno 7", "+3" "più 3"), since Italian speech reads the hyphen as
// "trattino". Captions on screen keep their signs.
QString spokenSigns(const QString &text);

// The exercise as a sentence, read when the focus lands on the hidden box
// after a new exercise, e.g. "Espressione: meno 2 a meno 3 b meno b meno 4 a.
// a vale 3, b vale meno 2." followed by what to press.
QString describeExercise(const Controls &controls);

// The verdict as a sentence, with the right value after a wrong answer,
// and what to press next; read with the button that takes the focus.
QString describeVerdict(bool right, std::int16_t expectedValue);

// What the next-exercise button says between verdicts.
QString nextButtonDescription();
