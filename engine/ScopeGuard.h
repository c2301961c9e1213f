#pragma once
// Runs a piece of clean-up when the scope is left, by a return or by an exception.

#include <utility>

template <typename Action> class ScopeGuard
{
public:
    explicit ScopeGuard(Action action) : m_action(std::move(action)) {}
    ~ScopeGuard() { m_action(); }
    ScopeGuard(const ScopeGuard &) = delete;
    ScopeGuard &operator=(const ScopeGuard &) = delete;

private:
    Action m_action;
};
