#include "framework/CmdTarget.h"

bool CCmdTarget::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
    if (pCmdUI) {
        const auto it = m_updates.find(id);
        if (it == m_updates.end())
            return false;
        it->second(pCmdUI);
        return true;
    }
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    it->second();
    return true;
}

void CCmdTarget::OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler) {
    for (UINT id = first; id <= last; ++id)
        m_commands[id] = [handler, id] { handler(id); };
}

void CCmdTarget::OnUpdateCommandRange(UINT first, UINT last, std::function<void(CCmdUI*)> handler) {
    for (UINT id = first; id <= last; ++id)
        m_updates[id] = handler;
}
