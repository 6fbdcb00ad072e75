// A whole class ending its games at once on one record folder: thirty
// record keepers started together, each comparing and saving its game's
// score under the record lock, as thirty windows start them. Reports the
// median and the worst time a game waited for its end-of-game save (the
// keeper's start included), and the time one save holds the lock alone.
#include "KeeperClient.h"
#include "RecordStepsRun.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr int kGames = 30;

double mean(const std::vector<double> &values)
{
    double sum = 0;
    for (double x : values)
        sum += x;
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

void BM_ThirtyGamesEndAtOnce(benchmark::State &state)
{
    std::vector<double> medians;
    std::vector<double> worsts;
    int failures = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        const auto began = std::chrono::steady_clock::now();
        std::vector<std::unique_ptr<QProcess>> keepers;
        std::vector<QElapsedTimer> clocks(kGames);
        for (int game = 0; game < kGames; ++game) {
            const int score = (game * 7) % kGames + 1;
            clocks[std::size_t(game)].start();
            keepers.push_back(startKeeper(QStringLiteral(TARVIMONDA_KEEPER),
                                          endRequest(folder.path(), score, QStringLiteral("P%1").arg(score))));
        }
        std::vector<double> waits;
        for (int game = 0; game < kGames; ++game) {
            const auto outcome = outcomeOf(*keepers[std::size_t(game)]);
            if (!outcome || outcome->record.happened == record::Happened::Failed)
                ++failures;
            else
                waits.push_back(double(clocks[std::size_t(game)].nsecsElapsed()) / 1e6);
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        std::sort(waits.begin(), waits.end());
        if (!waits.empty()) {
            medians.push_back(waits[waits.size() / 2]);
            worsts.push_back(waits.back());
        }
    }
    state.counters["median_wait_ms"] = mean(medians);
    state.counters["worst_wait_ms"] = mean(worsts);
    state.counters["failed_saves"] = failures;
}
BENCHMARK(BM_ThirtyGamesEndAtOnce)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// What one game holds the lock for: compare with the record on disk, then
// write both files, synced.
void BM_CompareAndSaveAlone(benchmark::State &state)
{
    QTemporaryDir folder;
    int score = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(saveIn(folder.path(), QString::number(++score), QStringLiteral("Anna")));
}
BENCHMARK(BM_CompareAndSaveAlone)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
