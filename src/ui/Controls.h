#pragma once

#include <QList>
#include <array>

class Label;
class PictureButton;
class QAction;
class QLineEdit;
class QMainWindow;
class QMenu;
class QTimer;
class Surface;

// The controls the code uses, kept as the window description builds them
// afresh at each load; the others stay in the window, found by their
// objectName, which is their design name.
struct Controls
{
    Surface *surface = nullptr;

    Label *lblconto = nullptr, *lblvala = nullptr, *lblvalb = nullptr, *lblMessage = nullptr;
    Label *lblScore = nullptr, *lblScore1 = nullptr, *lblScore2 = nullptr;
    Label *lblnome1 = nullptr, *lblnome = nullptr, *lblpunti = nullptr;
    // The row's labels, slot by slot from left to right (kTermSlots).
    std::array<Label *, 4> coefficients{}, letters{};
    QLineEdit *txtAnswer = nullptr, *txtAnswer1 = nullptr;
    PictureButton *cmdNext = nullptr, *cmdExit = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *copy = nullptr;
    QAction *Next = nullptr;

    QList<Label *> letterLabels() const { return {letters.begin(), letters.end()}; }
    QList<Label *> coefficientLabels() const { return {coefficients.begin(), coefficients.end()}; }
};

// Builds the client area, its controls, timers and the menus on window's
// menu bar. The surface becomes the window's central widget; the previous
// one, and the previous menus, must have been taken away first.
Controls buildControls(QMainWindow &window);
