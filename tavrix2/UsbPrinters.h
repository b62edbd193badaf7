#pragma once

#include "framework/CString.h"

// The interface path of the n-th (from 0) USB printer-class device present,
// or empty when there are fewer.
CString FindUsbPrinterPath(int nIndex);
