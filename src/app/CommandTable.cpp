#include "app/CommandTable.h"

void CCommandTable::Add(int commandId, Handler handler) {
    m_handlers[commandId] = std::move(handler);
}

void CCommandTable::Add(std::initializer_list<int> commandIds, const Handler& handler) {
    for (int id : commandIds) {
        m_handlers[id] = handler;
    }
}

bool CCommandTable::Run(int commandId, CCharString& error) const {
    const auto found = m_handlers.find(commandId);
    // A copy: a handler may replace itself.
    const Handler handler = found != m_handlers.end() ? found->second : Handler();
    return handler && handler(error);
}
