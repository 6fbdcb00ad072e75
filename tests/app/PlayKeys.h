#pragma once

#include "GameFixture.h"

#include <QLineEdit>

// A known exercise on the real window, and keys typed to it as a pupil
// types them.

// An exercise worth 3 x 2 + (-1) x 4 = 2: sumA 3 with b = 2, sumB -1 with a = 4.
inline void setKnownExercise(GameFixture &game)
{
    game.state().sumA = 3;
    game.state().sumB = -1;
    game.find<Label>("lblvala")->setCaption("2");
    game.find<Label>("lblvalb")->setCaption("4");
}
inline void typeKeys(GameFixture &game, const QString &keys)
{
    for (QChar key : keys)
        QTest::keyClick(game.window->focusWidget(), key.toLatin1());
}
inline void pressEnter(GameFixture &game) { QTest::keyClick(game.window->focusWidget(), Qt::Key_Return); }
// Types into the answer box and presses Enter.
inline void answer(GameFixture &game, const QString &typed)
{
    game.find("txtAnswer")->setFocus();
    typeKeys(game, typed);
    pressEnter(game);
}
inline QString answerText(GameFixture &game) { return game.find<QLineEdit>("txtAnswer")->text(); }
