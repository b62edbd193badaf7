#pragma once

#include "framework/Afx.h"

// The program's one window: the image size, X and Y in whole millimetres,
// for the printer named by the hand-off file.
class CImageSizeDlg : public CDialog {
public:
    explicit CImageSizeDlg(CWnd* pParent = NULL);

    // Whether Send wrote the size command to the device.
    BOOL HasSentSize() const { return m_bSizeSent; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    int PortNameToIndex(CString portName);

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSend();

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;

private:
    // One sentence on why a send failed, naming what the user can check.
    CString OpenFailureReason(BOOL bPrinterKnown, const CString& strPortName, int nPort,
                              DWORD dwError) const;
    CString WriteFailureReason(const CString& strPortName, DWORD dwError) const;
    void ReportSendFailed(const CString& strReason);

    CSpinButtonCtrl m_spinY;
    CSpinButtonCtrl m_spinX;
    int m_nSizeX;
    int m_nSizeY;
    HICON m_hIcon;
    CString m_strPrinterName;
    BOOL m_bSizeSent;
};
