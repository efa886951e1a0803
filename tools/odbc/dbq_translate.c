#include "tools/odbc/dbq_translate.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

/* Host path of a Windows path such as Z:\work\Pellam.MDB. */
static int HostPath(const char* windows, size_t length, const char* prefix, char* out, size_t capacity) {
    if (length < 3 || !isalpha((unsigned char)windows[0]) || windows[1] != ':') return -1;
    char link[PATH_MAX];
    if (snprintf(link, sizeof link, "%s/dosdevices/%c:", prefix, tolower((unsigned char)windows[0])) >=
        (int)sizeof link)
        return -1;
    char drive[PATH_MAX];
    if (!realpath(link, drive)) return -1;
    size_t used = strlen(drive);
    if (used == 1) used = 0; /* the drive is "/": do not double the slash */
    if (used + length > capacity) return -1;
    memcpy(out, drive, used);
    for (size_t i = 2; i < length; ++i) out[used++] = windows[i] == '\\' ? '/' : windows[i];
    out[used] = 0;
    return 0;
}

int TranslateConnectText(const char* in, char* out, size_t capacity, const char* wine_prefix) {
    const char* dbq = NULL;
    for (const char* p = in; *p; ++p) {
        if ((p == in || p[-1] == ';') && strncasecmp(p, "DBQ=", 4) == 0) {
            dbq = p;
            break;
        }
    }
    if (!dbq) return -1;
    const char* value = dbq + 4;
    const char* end = strchr(value, ';');
    const size_t length = end ? (size_t)(end - value) : strlen(value);
    char host[PATH_MAX];
    if (HostPath(value, length, wine_prefix, host, sizeof host) != 0) return -1;
    struct stat st;
    if (stat(host, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    /* Everything before and after the DBQ pair stays as it was. */
    const int written = snprintf(out, capacity, "%.*sDatabase=%s;NoCreat=1%s%s", (int)(dbq - in), in, host,
                                 end ? ";" : "", end ? end + 1 : "");
    return (written < 0 || (size_t)written >= capacity) ? -1 : 0;
}
