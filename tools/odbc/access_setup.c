/* The setup library of the Access driver stand-in, a Windows DLL. Windows
   programs create an Access database by asking the driver's setup library
   (SQLConfigDataSource with CREATE_DB); Wine's odbccp32 loads the library
   registered for the driver in the Windows registry and calls its ConfigDSN,
   as Windows does with the Jet driver's own.
   CREATE_DB makes an empty file, which the SQLite stand-in opens as an empty
   database; an existing file is never touched. Data sources are not kept:
   every other request fails. */
#include "tools/odbc/create_db_request.h"

#include <windows.h>
#include <odbcinst.h>

BOOL WINAPI ConfigDSN(HWND window, WORD request, LPCSTR driver, LPCSTR attributes) {
    (void)window;
    (void)driver;
    if (request != ODBC_ADD_DSN) {
        SQLPostInstallerError(ODBC_ERROR_INVALID_REQUEST_TYPE, "only CREATE_DB is supported");
        return FALSE;
    }
    char path[MAX_PATH];
    const int found = FindCreateDbPath(attributes, path, sizeof path);
    if (found <= 0) {
        SQLPostInstallerError(ODBC_ERROR_INVALID_KEYWORD_VALUE, found == 0
                                                                    ? "only CREATE_DB is supported"
                                                                    : "CREATE_DB names no path");
        return FALSE;
    }
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        SQLPostInstallerError(ODBC_ERROR_REQUEST_FAILED,
                              GetLastError() == ERROR_FILE_EXISTS
                                  ? "the database file already exists"
                                  : "the database file cannot be created");
        return FALSE;
    }
    CloseHandle(file);
    return TRUE;
}
