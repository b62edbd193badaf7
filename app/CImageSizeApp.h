#pragma once

#include "framework/Afx.h"

class CImageSizeApp : public CWinApp {
public:
    BOOL InitInstance() override;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;
};
