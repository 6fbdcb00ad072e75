#pragma once

#include "record/WorkGate.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QWidget;

// A step over the record folder runs on a thread of its own, while the
// window's event loop goes on: the window repaints and answers screen
// readers, and when the step takes long it says what it waits for. A share
// that stops answering holds only that thread, never the window.
struct WaitOptions
{
    QString notice;        // what the pupil is told meanwhile, in Italian
    QWidget *owner = nullptr;
    int limitMs = 0;       // then the step is given up, unless it is writing
    int noticeAfterMs = 500;
};

// Waits for done() with the event loop running. False when it gave up:
// the gate is then abandoned, and the step will write nothing.
bool waitBesideWindow(const std::function<bool()> &done, WorkGate &gate, const WaitOptions &options);

// Runs step beside the window; nothing when it was given up. The thread
// owns what it shares with the window, so a step stuck in a silent file
// system may outlive the wait, and even the program's end, harmlessly.
template <class Result>
std::optional<Result> runBesideWindow(std::function<Result(WorkGate &)> step, const WaitOptions &options)
{
    struct Shared
    {
        WorkGate gate;
        std::atomic<bool> done{false};
        Result result{};
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, step = std::move(step)] {
        shared->result = step(shared->gate);
        shared->done.store(true, std::memory_order_release);
    }).detach();
    if (!waitBesideWindow([&shared] { return shared->done.load(std::memory_order_acquire); }, shared->gate, options))
        return std::nullopt;
    return shared->result;
}
