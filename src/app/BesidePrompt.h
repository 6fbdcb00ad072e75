#pragma once

#include <QObject>

#include <functional>
#include <vector>

// Work the name prompt does not need (the record keeper's start, the
// window's pictures, fonts and controls), done once the prompt is on
// screen, while the pupil reads it and types, or at the latest when it has
// been answered: the prompt comes as fast as the smallest program's.
class BesidePrompt final : public QObject
{
public:
    using QObject::QObject;

    // Runs after the name prompt's first paint has reached the screen.
    void add(std::function<void()> work);
    // Runs what has not run yet, now.
    void runNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void watch(bool on);

    std::vector<std::function<void()>> m_work;
    bool m_watching = false;
};
