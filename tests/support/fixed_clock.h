// A millisecond clock that stands still (or moves only when the test says so) for the lifetime of
// the guard; the previous clock is put back afterwards.
#pragma once

#include "platform/system/clock.h"

#include <cstdint>
#include <memory>

class ScopedFixedClock
{
  public:
    explicit ScopedFixedClock(uint32_t ms) : m_now(std::make_shared<uint32_t>(ms))
    {
        std::shared_ptr<uint32_t> now = m_now;
        m_previous = installMillisecondClock([now] { return *now; });
    }
    ~ScopedFixedClock() { installMillisecondClock(m_previous); }
    ScopedFixedClock(const ScopedFixedClock &) = delete;
    ScopedFixedClock &operator=(const ScopedFixedClock &) = delete;

    void set(uint32_t ms) { *m_now = ms; }
    void advance(uint32_t ms) { *m_now += ms; }

  private:
    std::shared_ptr<uint32_t> m_now;
    MillisecondClock m_previous;
};

// A UTC clock that answers one fixed time for the lifetime of the guard.
class ScopedFixedUtcClock
{
  public:
    explicit ScopedFixedUtcClock(const SSystemTime &t)
    {
        m_previous = installUtcClock([t] { return t; });
    }
    ~ScopedFixedUtcClock() { installUtcClock(m_previous); }
    ScopedFixedUtcClock(const ScopedFixedUtcClock &) = delete;
    ScopedFixedUtcClock &operator=(const ScopedFixedUtcClock &) = delete;

  private:
    UtcClock m_previous;
};
