#pragma once

// Asked before a step first changes anything in a record folder: whether
// the game still waits for it. A game that gave up waiting (a share that
// did not answer in time) has told the pupil that nothing was saved, so
// nothing may be written after that.
class WriteGate
{
public:
    virtual ~WriteGate() = default;
    // Asked once a step at most; the answer stands for the rest of it.
    virtual bool mayWrite() = 0;
};

// For steps run where nobody can give up on them: tests and benchmarks.
class OpenGate final : public WriteGate
{
public:
    bool mayWrite() override { return true; }
};
