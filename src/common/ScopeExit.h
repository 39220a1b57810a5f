// Runs an action when a scope is left, however it is left.
#pragma once

#include <utility>

namespace common
{

template <typename Action> class ScopeExit
{
  public:
    explicit ScopeExit(Action action) : m_action(std::move(action))
    {
    }
    ~ScopeExit()
    {
        m_action();
    }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

  private:
    Action m_action;
};

} // namespace common
