// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace audio {

// A value, or why there is none: how every step on the sound path that may fail answers, from
// reading a file to the player, so that no exception crosses into the sound thread. As much of
// C++23's std::expected as is needed, with the reason in words.
template <class T> class Expected
{
public:
    Expected(T value) : m_value(std::move(value)) {}
    static Expected failure(std::string error)
    {
        Expected failed;
        failed.m_error = std::move(error);
        return failed;
    }

    explicit operator bool() const { return m_value.has_value(); }
    T &operator*() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T *operator->() { return &*m_value; }
    const T *operator->() const { return &*m_value; }
    // Empty while there is a value.
    const std::string &error() const { return m_error; }

private:
    Expected() = default;

    std::optional<T> m_value;
    std::string m_error;
};

} // namespace audio
