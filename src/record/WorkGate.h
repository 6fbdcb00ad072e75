#pragma once

#include <mutex>

// Between a record step that runs on a thread of its own and the window
// that waits for it. The window may give up waiting (a share that does not
// answer); the step then never begins to write. Once the step has begun to
// write, the window waits for it to finish, so a program never ends in the
// middle of a save.
class WorkGate
{
public:
    // The window gives up: true when the step had not begun to write, and
    // now never will.
    bool abandon()
    {
        const std::lock_guard guard(m_mutex);
        if (!m_writing)
            m_abandoned = true;
        return m_abandoned;
    }
    bool isAbandoned() const
    {
        const std::lock_guard guard(m_mutex);
        return m_abandoned;
    }
    // The step is about to change files: false when the window gave up.
    bool beginWriting()
    {
        const std::lock_guard guard(m_mutex);
        m_writing = !m_abandoned;
        return m_writing;
    }

private:
    mutable std::mutex m_mutex;
    bool m_abandoned = false;
    bool m_writing = false;
};
