/* Rewrites an Access connection text for the SQLite ODBC driver. */
#ifndef PELLAM_DBQ_TRANSLATE_H
#define PELLAM_DBQ_TRANSLATE_H

#include <stddef.h>

/* Turns the Windows path of DBQ=<path> into a host path (the drive letter is
   resolved through <wine_prefix>/dosdevices) and writes the connection text
   with "Database=<host path>;NoCreat=1" in place of the DBQ pair.
   Returns 0 on success; -1 when there is no DBQ pair, the path cannot be
   resolved, the database file does not exist (it is never created) or the
   result does not fit. */
int TranslateConnectText(const char* in, char* out, size_t capacity, const char* wine_prefix);

#endif
