#include "UsbPrinters.h"

#include <setupapi.h>
#include <stdlib.h>
#include <string.h>

#include "framework/AfxLoadProc.h"

namespace {

// GUID_DEVINTERFACE_USBPRINT
const GUID USBPRINT_INTERFACE = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// SetupAPI, loaded only when a USB printer is looked for.
// clang-format off
#define SETUPAPI_FUNCTIONS(F) \
    F(SetupDiGetClassDevsA) F(SetupDiEnumDeviceInterfaces) F(SetupDiGetDeviceInterfaceDetailA) \
    F(SetupDiDestroyDeviceInfoList)
// clang-format on

struct SETUPAPI {
    SETUPAPI_FUNCTIONS(AFX_API_MEMBER)
};

const SETUPAPI* SetupApi() {
    static const LPCSTR NAMES[] = {SETUPAPI_FUNCTIONS(AFX_API_NAME)};
    return AfxSystemApi<SETUPAPI>("setupapi.dll", NAMES);
}

CString InterfacePath(const SETUPAPI& api, HDEVINFO hDevices,
                      SP_DEVICE_INTERFACE_DATA* pInterface) {
    DWORD cbDetail = 0;
    api.SetupDiGetDeviceInterfaceDetailA(hDevices, pInterface, NULL, 0, &cbDetail, NULL);
    if (cbDetail < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return CString();
    SP_DEVICE_INTERFACE_DETAIL_DATA_A* pDetail =
        static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(malloc(cbDetail));
    if (pDetail == NULL)
        return CString();
    pDetail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    CString strPath;
    if (api.SetupDiGetDeviceInterfaceDetailA(hDevices, pInterface, pDetail, cbDetail, NULL, NULL))
        strPath = CString(pDetail->DevicePath);
    free(pDetail);
    return strPath;
}

// Keeps rgstrFirst, of cFirst paths in order, the cFirst first in order of
// those it has held and strPath.
void KeepIfAmongFirst(CString* rgstrFirst, int cFirst, int* pcHeld, const CString& strPath) {
    int iPlace = *pcHeld < cFirst ? (*pcHeld)++ : cFirst;
    // The device paths hold vendor, product and serial, in either case.
    while (iPlace > 0 && _stricmp(strPath, rgstrFirst[iPlace - 1]) < 0) {
        if (iPlace < cFirst)
            rgstrFirst[iPlace] = rgstrFirst[iPlace - 1];
        --iPlace;
    }
    if (iPlace < cFirst)
        rgstrFirst[iPlace] = strPath;
}

} // namespace

CString FindUsbPrinterPath(int nIndex) {
    const SETUPAPI* pApi = SetupApi();
    if (nIndex < 0 || nIndex >= MAX_USB_PRINTER_PORTS || pApi == NULL)
        return CString();
    const SETUPAPI& api = *pApi;
    HDEVINFO hDevices = api.SetupDiGetClassDevsA(&USBPRINT_INTERFACE, NULL, NULL,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (hDevices == INVALID_HANDLE_VALUE)
        return CString();
    // SetupAPI lists the devices in an order of its own, which may change as
    // they are plugged in again; the paths' order stays.
    CString rgstrFirst[MAX_USB_PRINTER_PORTS];
    int cHeld = 0;
    SP_DEVICE_INTERFACE_DATA interfaceData = {};
    interfaceData.cbSize = sizeof interfaceData;
    for (DWORD i = 0;
         api.SetupDiEnumDeviceInterfaces(hDevices, NULL, &USBPRINT_INTERFACE, i, &interfaceData);
         ++i) {
        CString strPath = InterfacePath(api, hDevices, &interfaceData);
        if (!strPath.IsEmpty())
            KeepIfAmongFirst(rgstrFirst, nIndex + 1, &cHeld, strPath);
    }
    api.SetupDiDestroyDeviceInfoList(hDevices);
    return nIndex < cHeld ? rgstrFirst[nIndex] : CString();
}
