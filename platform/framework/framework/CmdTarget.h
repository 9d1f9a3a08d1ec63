#pragma once
// Command routing: command ids map to command handlers and update handlers, as in the
// framework's command maps. A CCmdUI carries one update request (menu item, toolbar button).
#include "framework/CString.h"
#include "system/wintypes.h"

#include <functional>
#include <unordered_map>

class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    virtual void Enable(BOOL on = TRUE) { m_bEnabled = on != FALSE; }
    virtual void SetCheck(int check = 1) { m_nCheck = check; }
    virtual void SetText(const char* text) {
        m_strText = text ? text : "";
        m_bTextSet = true;
    }

    // What the last update asked for; GUI subclasses apply it to their item as well.
    bool m_bEnabled = true;
    int m_nCheck = 0;
    CString m_strText;
    bool m_bTextSet = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the command handler of `id` (pCmdUI == nullptr) or its update handler.
    // Returns true when this target handled it; unhandled commands go to the next target.
    virtual bool OnCmdMsg(UINT id, CCmdUI* pCmdUI);

    bool HasCommand(UINT id) const { return m_commands.count(id) != 0; }

protected:
    void OnCommand(UINT id, std::function<void()> handler) { m_commands[id] = std::move(handler); }
    void OnCommandRange(UINT first, UINT last, std::function<void(UINT)> handler);
    void OnUpdateCommand(UINT id, std::function<void(CCmdUI*)> handler) {
        m_updates[id] = std::move(handler);
    }
    void OnUpdateCommandRange(UINT first, UINT last, std::function<void(CCmdUI*)> handler);

private:
    std::unordered_map<UINT, std::function<void()>> m_commands;
    std::unordered_map<UINT, std::function<void(CCmdUI*)>> m_updates;
};
