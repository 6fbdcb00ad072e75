#pragma once

#include "app/BesidePrompt.h"
#include "startup/ClassroomSettings.h"
#include "app/Dialogs.h"
#include "app/MenuFocus.h"
#include "app/RecordKeeping.h"
#include "state/GameState.h"
#include "ui/Controls.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>

class RandomSource;

// What the outside world does to the game, replaceable by tests.
struct TavolaServices
{
    std::shared_ptr<Dialogs> dialogs;     // default: QtDialogs
    std::shared_ptr<RandomSource> random; // default: MixingRandomSource
    std::function<void()> endProgram;     // default: quit the application
};

// The game's one window. It lives as long as the program and owns
// GameState; its controls are built from the window description at each
// load and destroyed at each unload. The handlers read the controls, call
// the subsystems and write the controls back.
class Tavola : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tavola(TavolaServices services = {}, ClassroomSettings settings = {});
    ~Tavola() override;

    // Loads the window when it is not loaded, shows it, and activates it
    // once after each load.
    void showTavola();
    // Takes the controls, menu and timers away; the window object stays.
    void unloadTavola();

    bool isLoaded() const { return m_loaded; }
    // The record keeper's answer to the start is in, not yet shown.
    bool recordReadyToShow() const { return m_records.startAnswered(); }
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
    void buildWindow();
    void connectHandlers();
    // Shows the record the start read, and says what stands in its way;
    // false when the game went away meanwhile.
    bool showStartRecord(const record::Outcome &record);
    void endProgram();
    void paintBackground();
    QWidget *shownOwner() { return isVisible() ? this : nullptr; }

    TavolaServices m_services;
    RecordKeeping m_records;
    BesidePrompt m_besidePrompt;
    GameState m_state;
    Controls m_controls;
    bool m_loaded = false;
    bool m_activatePending = false;
    bool m_ending = false;
    bool m_ended = false;
    bool m_judged = false;
    MenuFocus m_menuFocus{*this, m_controls, [this] { return m_loaded; }, [this] { return m_ended; },
                          [this] { copy_Click(); }};
};
