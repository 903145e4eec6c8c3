#pragma once

#include <functional>
#include <initializer_list>
#include <map>

#include "foundation/CharString.h"

// The handlers of a kind's menu commands, by command id: what a command
// does is written once, where the kind's table is filled, and the main
// window's menu and keys only name the id.
class CCommandTable {
public:
    // True when the command did what it was asked; false with the reason in
    // error.
    using Handler = std::function<bool(CCharString& error)>;

    // A later handler for the same id replaces the earlier one.
    void Add(int commandId, Handler handler);
    // Several ids with one handler.
    void Add(std::initializer_list<int> commandIds, const Handler& handler);
    bool Has(int commandId) const { return m_handlers.count(commandId) != 0; }
    // Runs the handler of commandId; false for an id without one (error
    // unchanged) or a command that failed.
    bool Run(int commandId, CCharString& error) const;

private:
    std::map<int, Handler> m_handlers;
};
