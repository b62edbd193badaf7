#pragma once

#include <windows.h>

class CCmdTarget;

// A message map is a constant table per class, chained to the base class's
// table. Each entry names a message (and, for WM_COMMAND, the notification
// code and command or control id) and an adapter that unpacks the message
// parameters into the handler's own signature.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* pEntries;
    size_t nEntries;
};

template <size_t N>
constexpr AFX_MSGMAP MakeMessageMap(const AFX_MSGMAP* pBaseMap,
                                    const AFX_MSGMAP_ENTRY (&entries)[N]) {
    return {pBaseMap, entries, N};
}

namespace afx {

template <class F> struct MemberOf;
template <class T, class R, class... A> struct MemberOf<R (T::*)(A...)> { typedef T Class; };

template <auto F> auto* Target(CCmdTarget* pTarget) {
    return static_cast<typename MemberOf<decltype(F)>::Class*>(pTarget);
}

} // namespace afx

// void OnSysCommand(UINT nID, LPARAM lParam)
template <auto F> constexpr AFX_MSGMAP_ENTRY OnWmSysCommand() {
    return {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* p, WPARAM w, LPARAM l) -> LRESULT {
                (afx::Target<F>(p)->*F)(static_cast<UINT>(w), l);
                return 0;
            }};
}

// void OnPaint()
template <auto F> constexpr AFX_MSGMAP_ENTRY OnWmPaint() {
    return {WM_PAINT, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {
                (afx::Target<F>(p)->*F)();
                return 0;
            }};
}

// HCURSOR OnQueryDragIcon()
template <auto F> constexpr AFX_MSGMAP_ENTRY OnWmQueryDragIcon() {
    return {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((afx::Target<F>(p)->*F)());
            }};
}

// BOOL OnHelpInfo(HELPINFO* pHelpInfo)
template <auto F> constexpr AFX_MSGMAP_ENTRY OnWmHelpInfo() {
    return {WM_HELP, 0, 0, [](CCmdTarget* p, WPARAM, LPARAM l) -> LRESULT {
                return (afx::Target<F>(p)->*F)(reinterpret_cast<HELPINFO*>(l));
            }};
}

// void OnXxx() for WM_COMMAND with a given notification code and control id
template <auto F> constexpr AFX_MSGMAP_ENTRY OnCommandCode(UINT nCode, UINT nID) {
    return {WM_COMMAND, nCode, nID, [](CCmdTarget* p, WPARAM, LPARAM) -> LRESULT {
                (afx::Target<F>(p)->*F)();
                return 0;
            }};
}

template <auto F> constexpr AFX_MSGMAP_ENTRY OnCommand(UINT nID) {
    return OnCommandCode<F>(0, nID);
}

template <auto F> constexpr AFX_MSGMAP_ENTRY OnBnClicked(UINT nID) {
    return OnCommandCode<F>(BN_CLICKED, nID);
}
