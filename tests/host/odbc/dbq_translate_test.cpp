extern "C" {
#include "tools/odbc/dbq_translate.h"
}

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <sys/stat.h>

namespace {

class ConnectText : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/pellam_prefix_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        prefix = dir;
        mkdir((prefix + "/dosdevices").c_str(), 0755);
        mkdir((prefix + "/drive_c").c_str(), 0755);
        ASSERT_EQ(symlink("/", (prefix + "/dosdevices/z:").c_str()), 0);
        ASSERT_EQ(symlink("../drive_c", (prefix + "/dosdevices/c:").c_str()), 0);
        FILE* f = fopen((prefix + "/drive_c/Pellam.MDB").c_str(), "w");
        fclose(f);
    }
    void TearDown() override {
        unlink((prefix + "/drive_c/Pellam.MDB").c_str());
        unlink((prefix + "/dosdevices/z:").c_str());
        unlink((prefix + "/dosdevices/c:").c_str());
        rmdir((prefix + "/dosdevices").c_str());
        rmdir((prefix + "/drive_c").c_str());
        rmdir(prefix.c_str());
    }
    int Translate(const std::string& in, std::string* out) {
        char buffer[4096];
        const int r = TranslateConnectText(in.c_str(), buffer, sizeof buffer, prefix.c_str());
        *out = r == 0 ? buffer : "";
        return r;
    }
    std::string prefix;
};

TEST_F(ConnectText, DriveLettersResolveThroughDosdevices) {
    std::string out;
    ASSERT_EQ(Translate("DRIVER={Microsoft Access Driver (*.mdb)};DBQ=C:\\Pellam.MDB", &out), 0);
    char real[4096];
    ASSERT_NE(realpath((prefix + "/drive_c").c_str(), real), nullptr);
    EXPECT_EQ(out, std::string("DRIVER={Microsoft Access Driver (*.mdb)};Database=") + real +
                       "/Pellam.MDB;NoCreat=1");
    const std::string z = "Z:" + prefix + "/drive_c/Pellam.MDB";
    std::string windows = z;
    for (char& c : windows)
        if (c == '/') c = '\\';
    ASSERT_EQ(Translate("dbq=" + windows + ";Timeout=5", &out), 0);
    EXPECT_EQ(out, "Database=" + prefix + "/drive_c/Pellam.MDB;NoCreat=1;Timeout=5");
}

TEST_F(ConnectText, MissingFilesAndMissingPairsAreRefused) {
    std::string out;
    EXPECT_EQ(Translate("DRIVER={x};DBQ=C:\\Other.MDB", &out), -1);  // never created
    EXPECT_EQ(Translate("DRIVER={x};DBQ=C:\\", &out), -1);           // a folder
    EXPECT_EQ(Translate("DRIVER={x};Database=/tmp/a", &out), -1);    // no DBQ
    EXPECT_EQ(Translate("DRIVER={x};DBQ=Q:\\Pellam.MDB", &out), -1); // unknown drive
    EXPECT_EQ(Translate("DRIVER={x};DBQ=", &out), -1);
}

} // namespace
