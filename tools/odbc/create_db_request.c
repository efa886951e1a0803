#include "tools/odbc/create_db_request.h"

#include <string.h>

static const char* CreateDbValue(const char* pair) {
    static const char* const kKeys[] = {
        "CREATE_DB=", "CREATE_DBV2=", "CREATE_DBV3=", "CREATE_DBV4="};
    for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i) {
        const size_t n = strlen(kKeys[i]);
        size_t k = 0;
        while (k < n && (pair[k] & ~0x20) == (kKeys[i][k] & ~0x20))
            ++k;
        if (k == n) return pair + n;
    }
    return NULL;
}

int FindCreateDbPath(const char* attributes, char* out, size_t capacity) {
    if (!attributes) return 0;
    for (const char* pair = attributes; *pair; pair += strlen(pair) + 1) {
        const char* value = CreateDbValue(pair);
        if (!value) continue;
        while (*value == ' ')
            ++value;
        const char* end;
        if (*value == '"') {
            end = strchr(++value, '"');
            if (!end) return -1;
        } else {
            end = value + strcspn(value, " ");
        }
        const size_t n = (size_t)(end - value);
        if (n == 0 || n >= capacity) return -1;
        memcpy(out, value, n);
        out[n] = 0;
        return 1;
    }
    return 0;
}
