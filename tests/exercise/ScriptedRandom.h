#pragma once

#include "exercise/RandomSource.h"

#include <QList>
#include <QStringList>

// Hands out a fixed list of r values and logs every call, so a test can
// steer each draw and check the order of draws and re-seeds.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<double> script) : m_script(std::move(script)) {}

    double draw() override
    {
        log << QStringLiteral("draw");
        if (m_next >= m_script.size()) {
            m_overrun = true;
            return 0.0;
        }
        return m_script[m_next++];
    }
    void reseedFromClock() override { log << QStringLiteral("clock"); }
    void reseed(std::int64_t n) override { log << QStringLiteral("reseed %1").arg(n); }

    // Every scripted value used, and no draw beyond them.
    bool usedExactly() const { return !m_overrun && m_next == m_script.size(); }

    QStringList log;

private:
    QList<double> m_script;
    qsizetype m_next = 0;
    bool m_overrun = false;
};
