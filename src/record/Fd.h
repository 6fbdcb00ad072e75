#pragma once

#include <cerrno>
#include <unistd.h>

namespace recordio {

// A descriptor that closes itself.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = other.release();
        }
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { close(); }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes now; errno on failure (a network share may report a lost write
    // only here), 0 otherwise.
    int close()
    {
        if (m_fd < 0)
            return 0;
        return ::close(release()) == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};

} // namespace recordio
