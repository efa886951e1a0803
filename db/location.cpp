#include "db/location.h"

#include "common/text_helpers.h"

bool DatabasePathFromInstallRecord(char* path) {
    const uint32_t n = TextLength(path);
    if (n < 3) return false;
    path[n - 3] = 'M';
    path[n - 2] = 'D';
    path[n - 1] = 'B';
    return true;
}
