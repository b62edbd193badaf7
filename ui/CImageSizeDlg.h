#pragma once

#include "framework/Afx.h"
#include "handoff/HandoffReader.h"

struct SEND_FAILURE;

// The program's one window: the image size, X and Y in whole millimetres,
// for the printer named by the hand-off file.
class CImageSizeDlg : public CDialog {
public:
    explicit CImageSizeDlg(CWnd* pParent = NULL);

    // Whether Send wrote the size command to the device.
    BOOL HasSentSize() const { return m_bSizeSent; }
    // Whether a send failed after which the command may still reach the
    // device: Send is then off, so that the size is never sent twice.
    BOOL MayHaveSentSize() const { return m_bMaybeSent; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSend();

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;

private:
    void Send();
    void ReportSendFailed(const SEND_FAILURE& failure);

    CSpinButtonCtrl m_spinY;
    CSpinButtonCtrl m_spinX;
    int m_nSizeX;
    int m_nSizeY;
    HICON m_hIcon;
    CString m_strPrinterName;
    HANDOFF_STATUS m_nHandoffStatus;
    BOOL m_bSizeSent;
    BOOL m_bMaybeSent;
    BOOL m_bSending;
};
