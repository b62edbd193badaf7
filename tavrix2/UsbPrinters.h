#pragma once

#include "framework/CString.h"

// QORUSB1 to QORUSB3.
const int MAX_USB_PRINTER_PORTS = 3;

// The interface path of the n-th (from 0, below MAX_USB_PRINTER_PORTS) USB
// printer-class device present, in the order of the interface paths, or
// empty when there are fewer.
CString FindUsbPrinterPath(int nIndex);
