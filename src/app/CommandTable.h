#pragma once

#include <functional>
#include <map>

// The handlers of a kind's menu commands, by command id: what a command
// does is written once, where the table is filled, and the main window's
// menu and keys only name the id.
class CCommandTable {
public:
    // True when the command did what it was asked; false leaves the reason
    // with whoever the handler tells it to.
    using Handler = std::function<bool()>;

    // A later handler for the same id replaces the earlier one.
    void Add(int commandId, Handler handler);
    // Several ids with one handler.
    void Add(std::initializer_list<int> commandIds, const Handler& handler);
    bool Has(int commandId) const { return m_handlers.count(commandId) != 0; }
    // Runs the handler of commandId; false for an id without one.
    bool Run(int commandId) const;

private:
    std::map<int, Handler> m_handlers;
};
