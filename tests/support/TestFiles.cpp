#include "TestFiles.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <stdlib.h>

const char* const HANDOFF_PATH = "c:\\~QorTmp.Dat";

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    return path;
}

std::string BuildOutputPath(const char* pszFile) {
    const char* pszBin = getenv("KESTRIN_BIN");
    EXPECT_TRUE(pszBin != NULL) << "KESTRIN_BIN names the folder of the Windows binaries";
    return WindowsPath(pszBin != NULL ? pszBin : ".") + "\\" + pszFile;
}

namespace {

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA find;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &find);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = find.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(hFind, &find));
        FindClose(hFind);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

std::string NewTestFolder(const char* pszTestName) {
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string folder = std::string(szTemp) + "kestrin-" + pszTestName;
    DeleteTree(folder);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

std::string VirtualStoreCopy(const std::string& path) {
    char szLocal[MAX_PATH] = "";
    EXPECT_EQ(SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, szLocal), S_OK);
    std::string copy = std::string(szLocal) + "\\VirtualStore\\" + path.substr(3);
    std::string folder = copy.substr(0, copy.rfind('\\'));
    int nResult = SHCreateDirectoryExA(NULL, folder.c_str(), NULL);
    EXPECT_TRUE(nResult == ERROR_SUCCESS || nResult == ERROR_ALREADY_EXISTS) << folder;
    return copy;
}

DWORD RunToEnd(std::string commandLine) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
        return STILL_ACTIVE;
    }
    DWORD dwExitCode = STILL_ACTIVE;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExitCode;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE) << path;
    DWORD cbWritten = 0;
    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &cbWritten, NULL);
    CloseHandle(hFile);
    ASSERT_EQ(cbWritten, bytes.size()) << path;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, buffer, sizeof buffer, &cbRead, NULL) && cbRead > 0)
        bytes.append(buffer, cbRead);
    CloseHandle(hFile);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
