#include "tests/win/devlib/sim_fixture.h"

std::string DistPath(const char* relative) {
    std::string path = std::string("Z:") + PELLAM_DIST_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
