#pragma once

#include <QList>

class Label;
class PictureButton;
class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class Surface;

// The window's controls, built afresh from the window description at each
// load. Every object carries its design name as its objectName.
struct Controls
{
    Surface *surface = nullptr;

    Label *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    Label *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
    Label *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr;
    Label *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr;
    Label *lblconto = nullptr, *lblvala = nullptr, *lblvalb = nullptr;
    Label *lblNum1 = nullptr, *lblNum2 = nullptr, *lblNum3 = nullptr, *lblNum4 = nullptr;
    Label *lblmon = nullptr, *lblmon1 = nullptr, *lblmon3 = nullptr, *lblmon4 = nullptr;
    Label *lblnom5 = nullptr, *lblMessage = nullptr;
    Label *lblScore = nullptr, *lblScore1 = nullptr, *lblScore2 = nullptr;
    Label *lblnome1 = nullptr, *lblnome = nullptr, *lblpunti = nullptr, *lblTime = nullptr;
    QLabel *Image1 = nullptr;
    QLineEdit *txtAnswer = nullptr, *txtAnswer1 = nullptr;
    PictureButton *cmdNext = nullptr, *cmdExit = nullptr;
    QPushButton *Command1 = nullptr;
    QTimer *Timer1 = nullptr, *Timer2 = nullptr;

    QMenu *INFOMAZIONI = nullptr, *copy = nullptr, *tr = nullptr;
    QAction *Tmer = nullptr, *ik = nullptr, *Next = nullptr;

    // The four letter labels, then the four coefficient labels, in the
    // order the judging recolours them.
    QList<Label *> letterLabels() const { return {lblmon, lblmon1, lblmon3, lblmon4}; }
    QList<Label *> coefficientLabels() const { return {lblNum1, lblNum2, lblNum3, lblNum4}; }
};

// Builds the client area, its controls, timers and the menu bar on window.
// The surface becomes the window's central widget; the previous one, if
// any, must have been taken away first.
Controls buildControls(QMainWindow &window);
