#pragma once

#include <windows.h>

// Every message box the framework raises goes through here. Without an
// icon of its own an OK box gets the exclamation mark, as the user is used to.
int AfxMessageBox(LPCSTR pszText, UINT nType = MB_OK);
