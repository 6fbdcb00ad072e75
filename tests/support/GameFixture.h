#pragma once

#include "DialogAnswerer.h"
#include "FileBytes.h"

#include "app/Tavola.h"
#include "exercise/RandomSource.h"
#include "ui/Fonts.h"
#include "ui/Label.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// The game variables, for a test that sets up an exercise by hand.
struct TavolaTestAccess
{
    static GameState &state(Tavola &window) { return window.m_state; }
};

// One game on a real window, headless, with its record files in a fresh
// temporary folder and the end of the program recorded instead of quitting.
struct GameFixture
{
    explicit GameFixture(std::shared_ptr<RandomSource> random = std::make_shared<MixingRandomSource>(7),
                         const std::function<void(ClassroomSettings &)> &adjust = {})
    {
        TavolaServices services;
        services.random = std::move(random);
        services.endProgram = [this] { ++endCalls; };
        ClassroomSettings settings;
        settings.recordFolder = QFile::encodeName(folder.path());
        settings.keeperProgram = QStringLiteral(TARVIMONDA_KEEPER);
        if (adjust)
            adjust(settings);
        window = std::make_unique<Tavola>(std::move(services), std::move(settings));
        answerer = std::make_unique<DialogAnswerer>(window.get());
        // The keeper reads the record long before a pupil has typed a name.
        answerer->typingDone = [this] { return window->recordReadyToShow(); };
    }

    // Starts the game: the name prompt answered with name, the greeting OK.
    void start(const QString &name = QStringLiteral("Luca"))
    {
        answerer->type(name).press(QStringLiteral("OK"));
        window->showTavola();
    }

    void writeRecord(const QByteArray &score, const QByteArray &name)
    {
        writeFile(QStringLiteral("esprle.txt"), score);
        writeFile(QStringLiteral("nesprle.txt"), name);
    }
    void writeFile(const QString &fileName, const QByteArray &bytes)
    {
        QFile file(folder.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString &fileName) const { return bytesOf(folder.filePath(fileName)); }

    // The counters as a game that got right answers right and wrong wrong
    // shows them.
    void showScore(int right, int wrong = 0)
    {
        state().rightAnswers = std::int16_t(right);
        state().wrongAnswers = std::int16_t(wrong);
        find<Label>("lblScore")->setCaption(QString::number(right));
        find<Label>("lblScore1")->setCaption(QString::number(wrong));
        find<Label>("lblScore2")->setCaption(QString::number(right + wrong));
    }

    template <typename T = QWidget> T *find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QString caption(const char *name) const { return find<Label>(name)->caption(); }
    const Controls &c() const { return window->controls(); }
    GameState &state() { return TavolaTestAccess::state(*window); }

    QTemporaryDir folder;
    int endCalls = 0;
    std::unique_ptr<Tavola> window;
    std::unique_ptr<DialogAnswerer> answerer;
};
