// A hidden window that all instances of one component in the process share, to which each instance is
// registered under an identity that is never reused (so a late message for a gone instance reaches no
// other). The window lives while some instance holds a reference to it.
#pragma once

#include "gui/Window.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace gui
{

template <typename Derived, typename Client, typename Identity> class SharedWindow : public Window
{
  public:
    // The process's window, created on first use.
    static std::shared_ptr<Derived> Acquire()
    {
        std::shared_ptr<Derived> window = s_shared.lock();
        if (!window)
        {
            // Not make_shared: its type test brings the C++ library's shared-pointer locks along.
            window = std::shared_ptr<Derived>(new Derived());
            s_shared = window;
        }
        return window;
    }

    Identity Register(Client &client)
    {
        const Identity identity = ++s_lastIdentity;
        m_clients.emplace_back(identity, &client);
        return identity;
    }

    void Unregister(Identity identity) noexcept
    {
        std::erase_if(m_clients, [identity](const Entry &entry) { return entry.first == identity; });
    }

  protected:
    // The registered instance, or nullptr.
    Client *Find(Identity identity) const
    {
        // A handful of instances at most: a list is smaller than a tree.
        const auto found = std::find_if(m_clients.begin(), m_clients.end(),
                                        [identity](const Entry &entry) { return entry.first == identity; });
        return found == m_clients.end() ? nullptr : found->second;
    }

    using Entry = std::pair<Identity, Client *>;

    // The registered instances, in the order of their registration.
    const std::vector<Entry> &Clients() const noexcept
    {
        return m_clients;
    }

  private:
    static inline std::weak_ptr<Derived> s_shared;
    static inline Identity s_lastIdentity = 0;
    std::vector<Entry> m_clients;
};

} // namespace gui
