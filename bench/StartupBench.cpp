// startup_bench PROGRAM CAPTION PROGRAM CAPTION RUNS: the time from process
// start to its dialog being shown, for two programs started in turn, as
// "name median_ms" lines.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Query {
    DWORD dwProcessId;
    const char* pszCaption;
    bool bFound;
};

BOOL CALLBACK Match(HWND hWnd, LPARAM lParam) {
    Query* pQuery = reinterpret_cast<Query*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    char szText[64] = "";
    GetWindowTextA(hWnd, szText, sizeof szText);
    if (dwProcessId == pQuery->dwProcessId && IsWindowVisible(hWnd) &&
        strcmp(szText, pQuery->pszCaption) == 0)
        pQuery->bFound = true;
    return !pQuery->bFound;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds until the dialog shows, or a negative number if it did not.
double TimeOneStart(const char* pszProgram, const char* pszCaption) {
    std::string commandLine = std::string("\"") + pszProgram + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(pszProgram, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return -1;
    double dMs = -1;
    Query query = {pi.dwProcessId, pszCaption, false};
    do {
        EnumWindows(Match, reinterpret_cast<LPARAM>(&query));
        QueryPerformanceCounter(&now);
        if (query.bFound)
            dMs = Seconds(start, now) * 1000;
        else
            Sleep(1);
    } while (!query.bFound && Seconds(start, now) < 30);
    for (int i = 0; i < 100 && WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT; ++i) {
        HWND hWnd = FindWindowA(NULL, pszCaption);
        if (hWnd != NULL)
            PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    }
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dMs;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: startup_bench PROGRAM CAPTION PROGRAM CAPTION RUNS\n");
        return 2;
    }
    int nRuns = atoi(argv[5]);
    std::vector<double> first, second;
    for (int i = 0; i < nRuns; ++i) {
        first.push_back(TimeOneStart(argv[1], argv[2]));
        second.push_back(TimeOneStart(argv[3], argv[4]));
    }
    printf("%s %.1f\n%s %.1f\n", argv[1], Median(first), argv[3], Median(second));
    return 0;
}
