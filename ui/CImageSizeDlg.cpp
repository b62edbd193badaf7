#include "CImageSizeDlg.h"

#include "handoff/HandoffReader.h"
#include "output/PrinterPort.h"
#include "output/SizeCommand.h"
#include "portlink/PortTable.h"
#include "portlink/Tavrix.h"
#include "portlink/TavrixSettings.h"
#include "SendEvents.h"
#include "ui/CAboutDlg.h"
#include "ui/SendEventLog.h"
#include "ui/SendFailure.h"
#include "ui/resource.h"

namespace {

const short MIN_SIZE_MM = 0;
const short MAX_SIZE_MM = 25000;

// The event that reports a failed send: one for each kind of failure that
// an administrator mends alike.
DWORD SendEventOf(const SEND_FAILURE& f) {
    switch (f.stage) {
    case STAGE_HANDOFF:
        return MSG_SEND_NO_PRINTER;
    case STAGE_TIMEOUT:
        return MSG_SEND_SETTING_UNUSABLE;
    case STAGE_LOOKUP:
    case STAGE_SHARED:
    case STAGE_PORT:
        return MSG_SEND_PRINTER_UNREACHABLE;
    case STAGE_OPEN:
        break;
    case STAGE_WRITE:
        return TavrixMayHaveArrived(f.dwError) ? MSG_SEND_MAY_STILL_ARRIVE : MSG_SEND_NOT_SENT;
    }
    switch (TavrixErrorKind(f.dwError)) {
    case TAVRIX_ERROR_NO_SETTING:
    case TAVRIX_ERROR_BAD_SETTING:
    case TAVRIX_ERROR_UNREADABLE_SETTING:
    case TAVRIX_ERROR_NOT_FULL_PATH:
    case TAVRIX_ERROR_UNDEFINED_VARIABLE:
    case TAVRIX_ERROR_UNSPECIFIED_ADDRESS:
    case TAVRIX_ERROR_BAD_TIMEOUT:
        return MSG_SEND_SETTING_UNUSABLE;
    }
    return MSG_SEND_PORT_NOT_OPENED;
}

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
    : CDialog(IDD_IMAGESIZE_DIALOG, pParent), m_nSizeX(0), m_nSizeY(0), m_bSizeSent(FALSE),
      m_bMaybeSent(FALSE), m_bSending(FALSE) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    HANDOFF handoff = ReadHandoffFile(HANDOFF_FILE_PATH);
    m_strPrinterName = handoff.strName;
    m_nHandoffStatus = handoff.status;
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

// The visible "Cancel" button carries IDOK and ends here: it reads the fields
// before it closes, as the dialog has always done.
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
    // A command that may still reach the device is not sent a second time,
    // and none while one is on its way: a message sent to the dialog while
    // a send waits is still handled.
    if (m_bMaybeSent || m_bSending)
        return;
    m_bSending = TRUE;
    Send();
    m_bSending = FALSE;
}

void CImageSizeDlg::Send() {
    // A field that holds no sendable number is reported before the port is
    // opened, so that no port is held while the message waits for the user.
    if (!UpdateData(TRUE))
        return;
    SEND_FAILURE failure = {STAGE_HANDOFF,    ERROR_SUCCESS, m_nHandoffStatus,
                            m_strPrinterName, CString(),     CString(),
                            PORT_NONE,        CString(),     0};
    if (m_nHandoffStatus != HANDOFF_NAMED) {
        ReportSendFailed(failure);
        return;
    }
    // Every wait of a send, for the spooler as for the device, is the
    // deployer's to set.
    failure.stage = STAGE_TIMEOUT;
    failure.dwError = ReadTimeoutSetting(&failure.dwTimeoutSeconds);
    if (failure.dwError != ERROR_SUCCESS) {
        ReportSendFailed(failure);
        return;
    }
    // The port is looked up afresh at every press: the printer may have moved.
    PRINTER_PORT port = GetPrinterPort(m_strPrinterName, failure.dwTimeoutSeconds * 1000);
    failure.stage = port.dwError != ERROR_SUCCESS ? STAGE_LOOKUP : STAGE_SHARED;
    failure.dwError = port.dwError;
    failure.strServer = port.strServer;
    failure.strPortName = port.strPortName;
    // Another computer's port is never taken for one of this computer's.
    if (port.dwError != ERROR_SUCCESS || port.bShared) {
        ReportSendFailed(failure);
        return;
    }
    Tavrix link;
    failure.nPort = PortNameToIndex(
        port.strPortName.Left(static_cast<int>(BarePortNameLength(port.strPortName.GetLength()))));
    link.SetCommPort(failure.nPort);
    if (!link.OpenComm(0)) {
        failure.stage = failure.nPort == PORT_NONE ? STAGE_PORT : STAGE_OPEN;
        failure.dwError = GetLastError();
        ReportSendFailed(failure);
        return;
    }
    // The values sent are those in the fields now that the port is open.
    if (!UpdateData(TRUE)) {
        link.CloseComm();
        return;
    }
    OutputDebugStringA("Write Command");
    char szCommand[SIZE_COMMAND_BUFFER];
    int cbCommand = FormatSizeCommand(szCommand, m_nSizeX, m_nSizeY);
    BOOL bWritten = link.Write(szCommand, cbCommand) != 0;
    failure.stage = STAGE_WRITE;
    failure.dwError = GetLastError();
    link.CloseComm();
    if (!bWritten) {
        ReportSendFailed(failure);
        return;
    }
    m_bSizeSent = TRUE;
    CDialog::OnOK();
}

void CImageSizeDlg::ReportSendFailed(SEND_FAILURE& failure) {
    // The message quotes what the deployer set the port to.
    SETTING_PLACE nPlace = PLACE_NONE;
    if (failure.nPort != PORT_NONE)
        ReadPortSetting(g_rgpszPortNames[failure.nPort], &failure.strSetting, &nPlace);
    if (failure.stage == STAGE_WRITE && TavrixMayHaveArrived(failure.dwError)) {
        m_bMaybeSent = TRUE;
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SEND), FALSE);
    }
    CString strFailed;
    strFailed.LoadString(IDS_SEND_FAILED);
    CString strMessage;
    strMessage.Format("%s\n%s", static_cast<LPCSTR>(strFailed),
                      static_cast<LPCSTR>(SendFailureReason(failure)));
    ReportSendEvent({SendEventOf(failure), m_bMaybeSent, strMessage, failure.strPrinter,
                     failure.strPortName, failure.strSetting, nPlace, failure.dwError,
                     failure.dwTimeoutSeconds});
    AfxMessageBox(strMessage);
}
