#pragma once

#include "app/BesideWindow.h"
#include "app/Dialogs.h"
#include "app/MenuFocus.h"
#include "record/GameEnd.h"
#include "state/GameState.h"
#include "ui/Controls.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

class RandomSource;

// What the outside world does to the game, replaceable by tests.
struct TavolaSeams
{
    std::shared_ptr<Dialogs> dialogs;          // default: QtDialogs
    std::shared_ptr<RandomSource> random;      // default: MixingRandomSource
    std::function<QString()> recordFolder;     // default: the per-user data folder
    // A folder the teacher chose (configuration or command line): never
    // created beyond its last part, so a share that is not mounted is
    // reported instead of silently replaced by a local folder.
    bool recordFolderChosen = false;
    // The teacher's register: a line in registro.csv for every game that
    // ends through the end of game.
    bool registerEnabled = false;
    // How long a step over the record folder waits for other games, and a
    // little more for a folder that does not answer at all.
    int recordWaitMs = kRecordLockWaitMs;
    std::function<void()> endProgram;          // default: quit the application
};

// The game's one window. It lives as long as the program and owns
// GameState; its controls are built from the window description at each
// load and destroyed at each unload. The handlers read the controls, call
// the subsystems and write the controls back.
class Tavola : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tavola(TavolaSeams seams = {});
    ~Tavola() override;

    // Loads the window when it is not loaded, shows it, and activates it
    // once after each load.
    void showTavola();
    // Takes the controls, menu and timers away; the window object stays.
    void unloadTavola();

    bool isLoaded() const { return m_loaded; }
    const GameState &state() const { return m_state; }
    const Controls &controls() const { return m_controls; }

    // Event handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Next_Click();
    void copy_Click();
    void cmdExit_Click();
    void cmdNext_Click();
    void txtAnswer_KeyPress(std::int16_t &keyCode);
    void txtAnswer1_KeyPress(std::int16_t &keyCode);
    void Timer1_Timer();

    // Window methods.
    void startCountdown();
    void refreshClock();
    QString GetSystemDir();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend struct TavolaTestAccess; // tests set up an exercise by hand

    void loadTavola();
    void connectHandlers();
    void endProgram();
    void paintBackground();
    // The record folder's steps, beside the window (BesideWindow.h).
    StartRecord readRecordAtStart();
    GameEndOutcome finishGameOnDisk();
    void tellGameEnd(const GameEndOutcome &outcome);
    RecordFolder recordFolder() const;
    WaitOptions waitOptions(const QString &notice);
    QString notAnswering() const;

    TavolaSeams m_seams;
    GameState m_state;
    Controls m_controls;
    bool m_loaded = false;
    bool m_activatePending = false;
    bool m_ending = false;
    bool m_ended = false;
    bool m_waitingOnDisk = false;
    bool m_judged = false;
    MenuFocus m_menuFocus{*this, m_controls, [this] { return m_loaded; }, [this] { return m_ended; },
                          [this] { copy_Click(); }};
};
