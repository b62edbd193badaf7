#include "CImageSizeDlg.h"

#include "handoff/HandoffReader.h"
#include "portlink/PortTable.h"
#include "output/PrinterPort.h"
#include "output/SizeCommand.h"
#include "portlink/Tavrix.h"
#include "ui/CAboutDlg.h"
#include "ui/resource.h"

namespace {
const short MIN_SIZE_MM = 0;
const short MAX_SIZE_MM = 25000;
} // namespace

const AFX_MSGMAP_ENTRY CImageSizeDlg::messageEntries[] = {
    OnWmSysCommand<&CImageSizeDlg::OnSysCommand>(),
    OnWmPaint<&CImageSizeDlg::OnPaint>(),
    OnWmQueryDragIcon<&CImageSizeDlg::OnQueryDragIcon>(),
    OnBnClicked<&CImageSizeDlg::OnSend>(IDC_SEND),
};
const AFX_MSGMAP CImageSizeDlg::messageMap = MakeMessageMap(&CDialog::messageMap, messageEntries);

const AFX_MSGMAP* CImageSizeDlg::GetMessageMap() const {
    return &messageMap;
}

CImageSizeDlg::CImageSizeDlg(CWnd* pParent)
    : CDialog(IDD_IMAGESIZE_DIALOG, pParent), m_nSizeX(0), m_nSizeY(0), m_bSizeSent(FALSE) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_strPrinterName = ReadHandoffFile(HANDOFF_FILE_PATH);
}

void CImageSizeDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPIN_Y, m_spinY);
    DDX_Control(pDX, IDC_SPIN_X, m_spinX);
    // The device takes the sizes times 40: larger ones would not fit its
    // numbers, so they are refused like text that is no number.
    DDX_Text(pDX, IDC_EDIT_X, m_nSizeX);
    DDV_MinMaxInt(pDX, m_nSizeX, MIN_SENDABLE_SIZE_MM, MAX_SENDABLE_SIZE_MM);
    DDX_Text(pDX, IDC_EDIT_Y, m_nSizeY);
    DDV_MinMaxInt(pDX, m_nSizeY, MIN_SENDABLE_SIZE_MM, MAX_SENDABLE_SIZE_MM);
}

BOOL CImageSizeDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != NULL) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

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

void CImageSizeDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
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

void CImageSizeDlg::OnSend() {
    // The port is looked up afresh at every press: the printer may have moved.
    CString strPortName = GetBarePortName(m_strPrinterName);
    Tavrix link;
    link.SetCommPort(PortNameToIndex(strPortName));
    if (!link.OpenComm(0)) {
        ReportSendFailed();
        return;
    }
    // A field that holds no sendable number has been reported by the
    // exchange; nothing goes to the device.
    if (!UpdateData(TRUE)) {
        link.CloseComm();
        return;
    }
    OutputDebugStringA("Write Command");
    char szCommand[SIZE_COMMAND_BUFFER];
    int cbCommand = FormatSizeCommand(szCommand, m_nSizeX, m_nSizeY);
    BOOL bWritten = link.Write(szCommand, cbCommand) != 0;
    link.CloseComm();
    if (!bWritten) {
        ReportSendFailed();
        return;
    }
    m_bSizeSent = TRUE;
    CDialog::OnOK();
}

void CImageSizeDlg::ReportSendFailed() {
    CString strMessage;
    strMessage.LoadString(IDS_SEND_FAILED);
    AfxMessageBox(strMessage);
}
