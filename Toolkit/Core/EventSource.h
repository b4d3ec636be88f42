// A list of listeners of one kind of event: each returns whether the event goes on.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace SkinUI {

template <typename TArg>
class CEventSource {
public:
    using Listener = std::function<bool(TArg&)>;

    void operator+=(Listener listener) { m_listeners.push_back(std::move(listener)); }
    bool IsEmpty() const { return m_listeners.empty(); }
    void Clear() { m_listeners.clear(); }

    // Runs the listeners in order; false as soon as one stops the event. A listener may add
    // listeners while it runs (each runs from a copy).
    bool operator()(TArg& arg) const
    {
        for (std::size_t i = 0; i < m_listeners.size(); ++i) {
            const Listener current = m_listeners[i];
            if (!current(arg))
                return false;
        }
        return true;
    }

private:
    std::vector<Listener> m_listeners;
};

} // namespace SkinUI
