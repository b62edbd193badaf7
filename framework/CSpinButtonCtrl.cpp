#include "CSpinButtonCtrl.h"

#include <commctrl.h>

void CSpinButtonCtrl::SetRange(short nLower, short nUpper) {
    SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower));
}
