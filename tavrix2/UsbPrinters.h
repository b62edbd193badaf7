#pragma once

#include "framework/CString.h"
#include "portlink/PortTable.h"

// The ports from PORT_FIRST_USB to the end of the table, one device each.
const int MAX_USB_PRINTER_PORTS = PORT_COUNT - PORT_FIRST_USB;

// The interface path of the n-th (from 0, below MAX_USB_PRINTER_PORTS) USB
// printer-class device present, in the order of the interface paths, or
// empty when there are fewer.
CString FindUsbPrinterPath(int nIndex);
