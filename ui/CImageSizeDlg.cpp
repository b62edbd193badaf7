#include "CImageSizeDlg.h"

#include "handoff/HandoffReader.h"
#include "output/SendCycle.h"
#include "output/SizeCommand.h"
#include "portlink/TavrixSettings.h"
#include "ui/CAboutDlg.h"
#include "ui/SendEventLog.h"
#include "ui/SendFailure.h"
#include "ui/resource.h"

namespace {

const short MIN_SIZE_MM = 0;
const short MAX_SIZE_MM = 25000;

// Where a send that did not write the command stopped, as the user is told.
SEND_STAGE StageOf(const SEND_CYCLE& cycle) {
    switch (cycle.nStep) {
    case STEP_LOOKUP:
        return cycle.dwError == ERROR_SUCCESS && cycle.port.bShared ? STAGE_SHARED : STAGE_LOOKUP;
    case STEP_OPEN:
        return cycle.nPort == PORT_NONE ? STAGE_PORT : STAGE_OPEN;
    case STEP_WRITE:
    case STEP_CLOSE:
        break;
    }
    return STAGE_WRITE;
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

void CImageSizeDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
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
    // A field that holds no sendable number is reported before anything
    // goes. The values sent are those in the fields now: input waits while
    // the command is on its way.
    if (!UpdateData(TRUE))
        return;
    SEND_FAILURE failure;
    failure.handoff = m_nHandoffStatus;
    failure.strPrinter = m_strPrinterName;
    if (m_nHandoffStatus != HANDOFF_NAMED) {
        ReportSendFailed(failure);
        return;
    }
    // The whole send, for the spooler as for the device, is bound by the
    // deployer's setting.
    failure.stage = STAGE_TIMEOUT;
    failure.dwError = ReadTimeoutSetting(&failure.dwTimeoutSeconds);
    if (failure.dwError != ERROR_SUCCESS) {
        ReportSendFailed(failure);
        return;
    }
    char szCommand[SIZE_COMMAND_BUFFER];
    int cbCommand = FormatSizeCommand(szCommand, m_nSizeX, m_nSizeY);
    SEND_CYCLE cycle =
        RunSendCycle(m_strPrinterName, szCommand, cbCommand, failure.dwTimeoutSeconds * 1000);
    if (cycle.nStep == STEP_CLOSE && cycle.dwError == ERROR_SUCCESS) {
        m_bSizeSent = TRUE;
        CDialog::OnOK();
        return;
    }
    failure.stage = StageOf(cycle);
    failure.dwError = cycle.dwError;
    failure.strServer = cycle.port.strServer;
    failure.strPortName = cycle.port.strPortName;
    failure.nPort = cycle.nPort;
    failure.strSetting = cycle.strSetting;
    failure.nSettingPlace = cycle.nSettingPlace;
    ReportSendFailed(failure);
}

void CImageSizeDlg::ReportSendFailed(const SEND_FAILURE& failure) {
    if (SendMayStillArrive(failure)) {
        m_bMaybeSent = TRUE;
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SEND), FALSE);
    }
    CString strFailed;
    strFailed.LoadString(IDS_SEND_FAILED);
    CString strMessage;
    strMessage.Format("%s\n%s", static_cast<LPCSTR>(strFailed),
                      static_cast<LPCSTR>(SendFailureReason(failure)));
    // The administrator hears of it as the operator does, without waiting.
    ReportSendEvent(failure, strMessage);
    AfxMessageBox(strMessage);
}
