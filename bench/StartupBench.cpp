// startup_bench RUNS PROGRAM CAPTION [PROGRAM CAPTION]...: the time from
// process start to its dialog being shown, for programs started in turn, one
// of each per round, as "median_ms spread_ms ratio difference_ms name" lines:
// the spread is that of the middle half of the runs; the ratio and the
// difference are the first program's start against this one's in the same
// round, as medians over the rounds, which the drift from one round to the
// next does not move. As a host does, a hand-off is written before every
// start.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <numeric>
#include <random>
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

// The token the programs start with: an operator's, who has no administrator
// rights. Wine runs this program elevated, as Windows runs an
// administrator's elevated one; the token linked to that is the limited one.
HANDLE OperatorToken() {
    HANDLE hToken = NULL;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY,
                     &hToken);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD cb = 0;
    if (GetTokenInformation(hToken, TokenElevationType, &type, sizeof type, &cb) &&
        type == TokenElevationTypeFull &&
        GetTokenInformation(hToken, TokenLinkedToken, &linked, sizeof linked, &cb)) {
        CloseHandle(hToken);
        return linked.LinkedToken;
    }
    return hToken;
}

// Milliseconds until the dialog shows, or a negative number if it did not.
double TimeOneStart(const char* pszProgram, const char* pszCaption) {
    static HANDLE s_hToken = OperatorToken();
    HANDLE hHandoff =
        CreateFileA("c:\\~QorTmp.Dat", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD cbWritten = 0;
    WriteFile(hHandoff, "K", 1, &cbWritten, NULL);
    CloseHandle(hHandoff);
    std::string commandLine = std::string("\"") + pszProgram + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessAsUserA(s_hToken, pszProgram, &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                              NULL, &si, &pi))
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

// The value at fraction f of the sorted values: 0.5 for the median.
double Quantile(std::vector<double> values, double f) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[static_cast<size_t>(f * (values.size() - 1) + 0.5)];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        fprintf(stderr, "usage: startup_bench RUNS PROGRAM CAPTION [PROGRAM CAPTION]...\n");
        return 2;
    }
    int nRuns = atoi(argv[1]);
    int nPrograms = (argc - 2) / 2;
    std::vector<std::vector<double>> times(nPrograms, std::vector<double>(nRuns));
    // Each round starts the programs in an order of its own, so that none
    // always starts first or after the same one; the orders are the same
    // from one run to the next.
    std::vector<int> order(nPrograms);
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 shuffler(1);
    for (int i = 0; i < nRuns; ++i) {
        std::shuffle(order.begin(), order.end(), shuffler);
        for (int p : order)
            times[p][i] = TimeOneStart(argv[2 + 2 * p], argv[3 + 2 * p]);
    }
    for (int p = 0; p < nPrograms; ++p) {
        std::vector<double> ratios, differences;
        for (int i = 0; i < nRuns; ++i) {
            ratios.push_back(times[0][i] / times[p][i]);
            differences.push_back(times[0][i] - times[p][i]);
        }
        printf("%.1f %.1f %.4f %.1f %s\n", Quantile(times[p], 0.5),
               Quantile(times[p], 0.75) - Quantile(times[p], 0.25), Quantile(ratios, 0.5),
               Quantile(differences, 0.5), argv[2 + 2 * p]);
    }
    return 0;
}
