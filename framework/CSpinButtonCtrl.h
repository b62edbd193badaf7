#pragma once

#include "CWnd.h"

// An up-down control of the dialog, attached by DDX_Control.
class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper);
};
