#pragma once

#include <windows.h>

#include <string>

// Where the host program leaves the printer name.
extern const char* const HANDOFF_PATH;

// A Unix path as Wine's Z: drive shows it.
std::string WindowsPath(const std::string& unixPath);

// A file of the Windows build output, from the KESTRIN_BIN folder.
std::string BuildOutputPath(const char* pszFile);

// Where Windows puts the file of a legacy program without administrator
// rights that writes path, a path on drive C: under the user's VirtualStore.
// Its folder is made.
std::string VirtualStoreCopy(const std::string& path);

// A new empty folder for the calling test, under the prefix's temp folder.
std::string NewTestFolder(const char* pszTestName);

// Runs a Windows program to its end and returns its exit code; under Wine
// one of the system's own (a shell) is started but cannot be waited for.
DWORD RunToEnd(std::string commandLine);

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
