#pragma once

#include <functional>
#include <map>

// Whether a command can run now and whether its menu entry carries a check mark.
struct CommandState {
    bool enabled = true;
    bool checked = false;
};

// Every command of a window by id: what runs it and what tells its state. A command
// without a handler is disabled; a state handler, when there is one, decides the rest
// each time a menu that holds the command opens.
class CCommandTable {
public:
    using Handler = std::function<void(int id)>;
    using StateHandler = std::function<void(int id, CommandState& state)>;

    void On(int id, std::function<void()> handler);
    void OnRange(int first, int last, Handler handler);
    void OnState(int id, std::function<void(CommandState&)> handler);
    void OnStateRange(int first, int last, StateHandler handler);

    bool HasHandler(int id) const;
    // Runs the command; false when nothing answers it or it is disabled.
    bool Execute(int id) const;
    CommandState StateOf(int id) const;

private:
    struct Range {
        int last;
        Handler handler;
    };
    struct StateRange {
        int last;
        StateHandler handler;
    };
    const Range* FindHandler(int id) const;
    const StateRange* FindState(int id) const;

    std::map<int, Range> handlers_; // keyed by the first id of the range
    std::map<int, StateRange> states_;
};
