#include "app/CommandTable.h"

void CCommandTable::On(int id, std::function<void()> handler)
{
    handlers_[id] = Range{id, [handler = std::move(handler)](int) { handler(); }};
}

void CCommandTable::OnRange(int first, int last, Handler handler)
{
    handlers_[first] = Range{last, std::move(handler)};
}

void CCommandTable::OnState(int id, std::function<void(CommandState&)> handler)
{
    states_[id] =
        StateRange{id, [handler = std::move(handler)](int, CommandState& state) { handler(state); }};
}

void CCommandTable::OnStateRange(int first, int last, StateHandler handler)
{
    states_[first] = StateRange{last, std::move(handler)};
}

const CCommandTable::Range* CCommandTable::FindHandler(int id) const
{
    auto it = handlers_.upper_bound(id);
    if (it == handlers_.begin()) {
        return nullptr;
    }
    --it;
    return id <= it->second.last ? &it->second : nullptr;
}

const CCommandTable::StateRange* CCommandTable::FindState(int id) const
{
    auto it = states_.upper_bound(id);
    if (it == states_.begin()) {
        return nullptr;
    }
    --it;
    return id <= it->second.last ? &it->second : nullptr;
}

bool CCommandTable::HasHandler(int id) const
{
    return FindHandler(id) != nullptr;
}

CommandState CCommandTable::StateOf(int id) const
{
    CommandState state;
    state.enabled = HasHandler(id);
    if (const StateRange* range = FindState(id)) {
        state.enabled = true;
        range->handler(id, state);
    }
    return state;
}

bool CCommandTable::Execute(int id) const
{
    const Range* range = FindHandler(id);
    if (!range || !StateOf(id).enabled) {
        return false;
    }
    range->handler(id);
    return true;
}
