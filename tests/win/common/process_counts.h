// What a process holds, for tests and the soak: kernel handles, GDI objects
// and windows. Wine answers GetGuiResources and GetProcessHandleCount with
// 0, so the counts come from the system handle list, the process's own GDI
// handle table (the one its PEB points to) and the window lists.
#pragma once

#include <windows.h>

struct ProcessCounts {
    long handles = -1;     // kernel handles
    long gdi_objects = -1; // entries in use in the GDI handle table
    long windows = -1;     // windows of the process, children included
};

// Counts for `process` (opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
// -1 where a count could not be had.
ProcessCounts CountProcessResources(HANDLE process);
