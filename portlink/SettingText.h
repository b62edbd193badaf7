#pragma once

// A port's setting as text: a path for every port but TCPIP, whose setting
// is a host and an optional TCP port; and for any port printer:NAME, a
// printer as Windows knows it, local or shared (printer:\\server\Label).

// Whether the path names one place whatever the folder and drive the program
// was started in: a drive-letter path (C:\...), a UNC path (\\server\...) or
// a device path (\\.\COM12, \\?\usb#...). A relative path, C:name or \name
// would put the bytes wherever the host happened to start Kestrin.
bool IsFullPath(const char* pszPath);

// The printer a setting names: NAME in printer:NAME, the prefix in any case,
// or NULL for a setting that names no printer.
const char* PrinterOfSetting(const char* pszSetting);
