#include "CImageSizeDlg.h"

#include "handoff/HandoffReader.h"
#include "output/PrinterPort.h"
#include "output/SizeCommand.h"
#include "portlink/PortTable.h"
#include "portlink/Tavrix.h"
#include "ui/CAboutDlg.h"
#include "ui/resource.h"

namespace {

const short MIN_SIZE_MM = 0;
const short MAX_SIZE_MM = 25000;

// The system's own words for an error code, or its number.
CString SystemMessage(DWORD dwError) {
    LPSTR pszMessage = NULL;
    DWORD cch = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               NULL, dwError, 0, reinterpret_cast<LPSTR>(&pszMessage), 0, NULL);
    // The text ends in a line break.
    while (cch > 0 && (pszMessage[cch - 1] == '\r' || pszMessage[cch - 1] == '\n' ||
                       pszMessage[cch - 1] == ' '))
        --cch;
    CString strMessage;
    if (cch > 0) {
        strMessage = CString(pszMessage, static_cast<int>(cch));
    } else {
        char szNumber[16];
        wsprintfA(szNumber, "%lu", dwError);
        AfxFormatString1(strMessage, IDS_SYSTEM_ERROR, szNumber);
    }
    LocalFree(pszMessage);
    return strMessage;
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
    // A field that holds no sendable number is reported before the port is
    // opened, so that no port is held while the message waits for the user.
    if (!UpdateData(TRUE))
        return;
    // The port is looked up afresh at every press: the printer may have moved.
    CString strPortName;
    BOOL bPrinterKnown = GetPrinterPortName(m_strPrinterName, &strPortName);
    Tavrix link;
    int nPort = PortNameToIndex(
        strPortName.Left(static_cast<int>(BarePortNameLength(strPortName.GetLength()))));
    link.SetCommPort(nPort);
    if (!link.OpenComm(0)) {
        DWORD dwError = GetLastError();
        ReportSendFailed(OpenFailureReason(bPrinterKnown, strPortName, nPort, dwError));
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
    DWORD dwError = GetLastError();
    link.CloseComm();
    if (!bWritten) {
        ReportSendFailed(WriteFailureReason(strPortName, dwError));
        return;
    }
    m_bSizeSent = TRUE;
    CDialog::OnOK();
}

CString CImageSizeDlg::OpenFailureReason(BOOL bPrinterKnown, const CString& strPortName, int nPort,
                                         DWORD dwError) const {
    CString strReason;
    if (m_strPrinterName.IsEmpty())
        strReason.LoadString(IDS_NO_PRINTER);
    else if (!bPrinterKnown)
        AfxFormatString1(strReason, IDS_UNKNOWN_PRINTER, m_strPrinterName);
    else if (nPort == PORT_NONE)
        AfxFormatString1(strReason, IDS_PORT_NOT_REACHED, strPortName);
    else if (dwError == TAVRIX_ERROR_NO_SETTING)
        AfxFormatString2(strReason, IDS_NO_SETTING, strPortName, g_rgpszPortNames[nPort]);
    else if (dwError == TAVRIX_ERROR_BAD_SETTING)
        AfxFormatString2(strReason, IDS_BAD_SETTING, strPortName, g_rgpszPortNames[nPort]);
    else if (TavrixErrorKind(dwError) == TAVRIX_ERROR_UNREADABLE_SETTING)
        AfxFormatString2(strReason, IDS_UNREADABLE_SETTING, g_rgpszPortNames[nPort],
                         SystemMessage(TavrixErrorDetail(dwError)));
    else if (dwError == ERROR_TIMEOUT)
        AfxFormatString1(strReason, IDS_NO_ANSWER, strPortName);
    else
        AfxFormatString2(strReason, IDS_OPEN_FAILED, strPortName, SystemMessage(dwError));
    return strReason;
}

CString CImageSizeDlg::WriteFailureReason(const CString& strPortName, DWORD dwError) const {
    CString strReason;
    if (dwError == ERROR_TIMEOUT)
        AfxFormatString1(strReason, IDS_WRITE_TIMEOUT, strPortName);
    else if (dwError == TAVRIX_ERROR_NOT_CONFIRMED)
        AfxFormatString1(strReason, IDS_NOT_CONFIRMED, strPortName);
    else
        AfxFormatString2(strReason, IDS_WRITE_FAILED, strPortName, SystemMessage(dwError));
    return strReason;
}

void CImageSizeDlg::ReportSendFailed(const CString& strReason) {
    CString strFailed;
    strFailed.LoadString(IDS_SEND_FAILED);
    CString strMessage;
    strMessage.Format("%s\n%s", static_cast<LPCSTR>(strFailed), static_cast<LPCSTR>(strReason));
    AfxMessageBox(strMessage);
}
