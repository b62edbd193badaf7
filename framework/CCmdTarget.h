#pragma once

#include "MessageMap.h"

// What takes commands: the dialogs and the application. Each class may have
// a message map of its own, chained to its base class's.
//
// A subclass with handlers of its own overrides GetMessageMap and declares
// its messageEntries and messageMap (MakeMessageMap over its base's map);
// OnCmdMsg and FindMessageEntry are the framework's and stay as they are.
class CCmdTarget {
public:
    virtual ~CCmdTarget() {}

    // Hands a command (WM_COMMAND's notification code and id) to the entry
    // of the message map that takes it; FALSE when none does.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP messageMap;
};
