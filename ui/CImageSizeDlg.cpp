#include "CImageSizeDlg.h"

#include <commctrl.h>

#include "handoff/HandoffReader.h"
#include "output/PortTable.h"
#include "ui/resource.h"

namespace {
const short MIN_SIZE_MM = 0;
const short MAX_SIZE_MM = 25000;
} // namespace

const AFX_MSGMAP_ENTRY CImageSizeDlg::messageEntries[] = {
    OnWmPaint<&CImageSizeDlg::OnPaint>(),
    OnWmQueryDragIcon<&CImageSizeDlg::OnQueryDragIcon>(),
};
const AFX_MSGMAP CImageSizeDlg::messageMap = MakeMessageMap(&CDialog::messageMap, messageEntries);

const AFX_MSGMAP* CImageSizeDlg::GetMessageMap() const {
    return &messageMap;
}

CImageSizeDlg::CImageSizeDlg(CWnd* pParent)
    : CDialog(IDD_IMAGESIZE_DIALOG, pParent), m_nSizeX(0), m_nSizeY(0) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_strPrinterName = ReadHandoffFile(HANDOFF_FILE_PATH);
}

void CImageSizeDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPIN_Y, m_spinY);
    DDX_Control(pDX, IDC_SPIN_X, m_spinX);
    DDX_Text(pDX, IDC_EDIT_X, m_nSizeX);
    DDX_Text(pDX, IDC_EDIT_Y, m_nSizeY);
}

BOOL CImageSizeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_spinX.SetRange(MIN_SIZE_MM, MAX_SIZE_MM);
    m_spinY.SetRange(MIN_SIZE_MM, MAX_SIZE_MM);

    // Both buttons are drawn as default buttons; Enter is to send.
    SendMessage(DM_SETDEFID, IDC_SEND);
    return TRUE;
}

void CImageSizeDlg::OnOK() {
    CDialog::OnOK();
}

int CImageSizeDlg::PortNameToIndex(CString portName) {
    return PortIndexOf(portName);
}

void CImageSizeDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CImageSizeDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}
