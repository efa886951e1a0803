// libFuzzer target for the Access driver stand-in's rewrite of a connection
// text: any text and any output capacity, against a small Wine prefix made
// once under build/fuzz (C: holds two database files, Z: is the root). The
// output has exactly the given capacity, so ASan catches a write past it; a
// rewrite that succeeds must keep the rest of the text and name an existing
// file.
extern "C" {
#include "tools/odbc/dbq_translate.h"
}
#include "tests/fuzz/fuzz_input.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char kPrefix[] = "build/fuzz/dbq-prefix";

void Touch(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "w")) std::fclose(f);
}

bool MakePrefix() {
    std::string p = kPrefix;
    mkdir(p.c_str(), 0755);
    mkdir((p + "/dosdevices").c_str(), 0755);
    mkdir((p + "/drive_c").c_str(), 0755);
    mkdir((p + "/drive_c/data").c_str(), 0755);
    Touch(p + "/drive_c/Pellam.MDB");
    Touch(p + "/drive_c/data/old.mdb");
    symlink("../drive_c", (p + "/dosdevices/c:").c_str());
    symlink("/", (p + "/dosdevices/z:").c_str());
    struct stat st;
    return stat((p + "/dosdevices/c:/Pellam.MDB").c_str(), &st) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = MakePrefix();
    Expect(ready);
    FuzzInput in(data, size);
    size_t capacity = in.Word() % 4200;
    std::vector<uint8_t> bytes = in.Rest();
    std::unique_ptr<char[]> text(new char[bytes.size() + 1]);
    if (!bytes.empty()) std::memcpy(text.get(), bytes.data(), bytes.size());
    text[bytes.size()] = 0;
    std::unique_ptr<char[]> out(new char[capacity ? capacity : 1]);
    if (TranslateConnectText(text.get(), out.get(), capacity, kPrefix) != 0) return 0;

    Expect(strnlen(out.get(), capacity) < capacity);
    std::string in_text = text.get(), out_text = out.get();
    // The first pair named DBQ (any case) becomes the Database pair; the
    // text before it is kept.
    size_t database = 0;
    while (database < in_text.size() && !((database == 0 || in_text[database - 1] == ';') &&
                                          strncasecmp(in_text.c_str() + database, "DBQ=", 4) == 0))
        ++database;
    Expect(database < in_text.size());
    Expect(in_text.compare(0, database, out_text, 0, database) == 0);
    Expect(out_text.compare(database, 9, "Database=") == 0);
    size_t no_create = out_text.find(";NoCreat=1", database);
    Expect(no_create != std::string::npos);
    // The path names a regular file that exists.
    std::string host = out_text.substr(database + 9, no_create - database - 9);
    struct stat st;
    Expect(stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode));
    // What followed the pair follows the rewrite.
    size_t end = in_text.find(';', database);
    std::string rest = end == std::string::npos ? "" : in_text.substr(end);
    Expect(out_text.compare(no_create + 10, std::string::npos, rest) == 0);
    return 0;
}
