#pragma once

#include "framework/Afx.h"

// The About box: the icon, the product and its version.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
