#include "AfxMessageBox.h"

#include "CWinApp.h"
#include "CWnd.h"

int AfxMessageBox(LPCSTR pszText, UINT nType) {
    if ((nType & MB_ICONMASK) == 0 && (nType & MB_TYPEMASK) <= MB_OKCANCEL)
        nType |= MB_ICONEXCLAMATION;
    CWinApp* pApp = AfxGetApp();
    HWND hWndOwner = NULL;
    LPCSTR pszCaption = NULL;
    if (pApp != NULL) {
        pszCaption = pApp->m_pszAppName;
        if (pApp->m_pMainWnd != NULL && pApp->m_pMainWnd->m_hWnd != NULL)
            hWndOwner = GetLastActivePopup(pApp->m_pMainWnd->m_hWnd);
    }
    return MessageBoxA(hWndOwner, pszText, pszCaption, nType);
}
