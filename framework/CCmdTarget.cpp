#include "CCmdTarget.h"

const AFX_MSGMAP CCmdTarget::messageMap = {NULL, NULL, 0};

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return &messageMap;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_COMMAND, nCode, nID);
    if (pEntry == NULL)
        return FALSE;
    pEntry->pfn(this, MAKEWPARAM(nID, nCode), 0);
    return TRUE;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap != NULL; pMap = pMap->pBaseMap) {
        for (size_t i = 0; i < pMap->nEntries; ++i) {
            const AFX_MSGMAP_ENTRY& entry = pMap->pEntries[i];
            if (entry.nMessage == nMessage && entry.nCode == nCode && entry.nID == nID)
                return &entry;
        }
    }
    return NULL;
}
