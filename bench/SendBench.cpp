// send_bench [--trace] RUNS DEVICE PRINTER PROGRAM [PROGRAM]...: the time
// from a real press of Enter (Send, the default button) to the command's 9
// bytes in the file DEVICE, and to the program's end, for programs started
// in turn on a hand-off naming PRINTER, with PRINTER and DEVICE as their
// arguments. Prints "bytes_ms end_ms name" lines, the medians. With --trace,
// for a wineserver that logs every request (bench/count-send-requests.awk
// reads the log), it marks the press and the bytes' arrival there, and waits
// for the bytes on a change notification of DEVICE's folder: the server
// wakes it, in its log, as soon as it learns of the write.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const CAPTION = "QLA Image Size";
// ESC .D1;0;0:, for the fields as the dialog opens.
const LONGLONG COMMAND_BYTES = 9;

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(counter.QuadPart) / double(frequency.QuadPart);
}

LONGLONG FileSize(const char* pszPath) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        return 0;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

HWND WaitForDialog(DWORD dwProcessId) {
    double dStart = NowMs();
    while (NowMs() - dStart < 30000) {
        HWND hWnd = FindWindowA(NULL, CAPTION);
        DWORD dwOwner = 0;
        GetWindowThreadProcessId(hWnd, &dwOwner);
        if (hWnd != NULL && dwOwner == dwProcessId && IsWindowVisible(hWnd))
            return hWnd;
        Sleep(1);
    }
    return NULL;
}

// A key of the machine's keyboard, which the dialog gets as the foreground
// window.
void PressEnter(HWND hWnd) {
    SetForegroundWindow(hWnd);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_RETURN;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool g_bTrace = false;

// A request that the wineserver's log shows at a moment of the send: no such
// event exists.
void MarkTrace(const char* pszMark) {
    if (!g_bTrace)
        return;
    HANDLE hEvent = OpenEventA(SYNCHRONIZE, FALSE, pszMark);
    if (hEvent != NULL)
        CloseHandle(hEvent);
}

// A change notification for a write to a file in the folder of pszPath.
HANDLE WatchFolderOf(const char* pszPath) {
    std::string folder(pszPath);
    folder.resize(folder.find_last_of('\\'));
    return FindFirstChangeNotificationA(folder.c_str(), FALSE,
                                        FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
}

// Milliseconds from the press to the bytes appended to the target and to
// the end; false when either did not come within 30 seconds.
bool TimeOneSend(const char* pszProgram, const char* pszPrinter, const char* pszDevice,
                 double* pdBytesMs, double* pdEndMs) {
    // The target is there already, as a FILES target is after its first job.
    const LONGLONG cbBefore = FileSize(pszDevice);
    HANDLE hHandoff =
        CreateFileA("c:\\~QorTmp.Dat", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cbWritten = 0;
    WriteFile(hHandoff, pszPrinter, lstrlenA(pszPrinter), &cbWritten, NULL);
    CloseHandle(hHandoff);
    std::string commandLine =
        std::string("\"") + pszProgram + "\" \"" + pszPrinter + "\" \"" + pszDevice + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(pszProgram, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    HWND hDialog = WaitForDialog(pi.dwProcessId);
    WaitForInputIdle(pi.hProcess, 10000);
    // Without a window manager the first key may only make it active.
    SetForegroundWindow(hDialog);
    for (int i = 0; i < 1000 && GetForegroundWindow() != hDialog; ++i)
        Sleep(1);
    *pdBytesMs = *pdEndMs = -1;
    HANDLE hChange = g_bTrace ? WatchFolderOf(pszDevice) : INVALID_HANDLE_VALUE;
    MarkTrace("KestrinBenchPress");
    double dPress = NowMs();
    PressEnter(hDialog);
    while (NowMs() - dPress < 30000 && FileSize(pszDevice) < cbBefore + COMMAND_BYTES) {
        if (hChange == INVALID_HANDLE_VALUE) {
            Sleep(1);
        } else {
            // Asked again only after it came, so that no change is missed.
            if (WaitForSingleObject(hChange, 100) == WAIT_OBJECT_0)
                FindNextChangeNotification(hChange);
        }
    }
    if (hChange != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(hChange);
    if (FileSize(pszDevice) >= cbBefore + COMMAND_BYTES) {
        *pdBytesMs = NowMs() - dPress;
        MarkTrace("KestrinBenchBytes");
    }
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        *pdEndMs = NowMs() - dPress;
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return *pdBytesMs >= 0 && *pdEndMs >= 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    g_bTrace = argc > 1 && strcmp(argv[1], "--trace") == 0;
    if (g_bTrace) {
        --argc;
        ++argv;
    }
    if (argc < 5) {
        fprintf(stderr, "usage: send_bench [--trace] RUNS DEVICE PRINTER PROGRAM [PROGRAM]...\n");
        return 2;
    }
    int nRuns = atoi(argv[1]);
    int nPrograms = argc - 4;
    std::vector<std::vector<double>> bytes(nPrograms), ends(nPrograms);
    // Each round starts the programs in an order of its own, so that none
    // always goes first or after the same one; the orders are the same from
    // one run to the next.
    std::vector<int> order(nPrograms);
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 shuffler(1);
    for (int i = 0; i < nRuns; ++i) {
        std::shuffle(order.begin(), order.end(), shuffler);
        for (int p : order) {
            double dBytesMs, dEndMs;
            if (TimeOneSend(argv[4 + p], argv[3], argv[2], &dBytesMs, &dEndMs)) {
                bytes[p].push_back(dBytesMs);
                ends[p].push_back(dEndMs);
            }
        }
    }
    for (int p = 0; p < nPrograms; ++p)
        printf("%.1f %.1f %s\n", Median(bytes[p]), Median(ends[p]), argv[4 + p]);
    return 0;
}
