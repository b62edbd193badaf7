#pragma once

// The application framework: a thin layer over Win32 in the shape of the
// classes this program is written against.
#include "AfxAnsiFromWide.h"
#include "AfxFormatString.h"
#include "AfxLoadProc.h"
#include "AfxMessageBox.h"
#include "AfxRes.h"
#include "CCmdTarget.h"
#include "CDataExchange.h"
#include "CDialog.h"
#include "CFile.h"
#include "CMenu.h"
#include "CPaintDC.h"
#include "CSpinButtonCtrl.h"
#include "CString.h"
#include "CWinApp.h"
#include "CWnd.h"
