#pragma once

#include "framework/Afx.h"

class CImageSizeApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
