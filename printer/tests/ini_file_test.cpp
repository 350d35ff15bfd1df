#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "IniFile.h"

namespace {
class EcpIniFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/ini-XXXXXX";
        dir_ = mkdtemp(templ.data());
        path_ = dir_ + "/settings.ini";
    }
    void TearDown() override {
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string read() {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir_, path_;
};
}  // namespace

TEST_F(EcpIniFileTest, ReadsSectionsCommentsAndUntrimmedTexts) {
    write("[a]\nx=1\n#c=2\n[b]\ny = 2\n");
    IniFile ini(path_.c_str());
    char out[32];
    ini.ReadString("a", "x", "none", out, sizeof out);
    EXPECT_STREQ("1", out);
    ini.ReadString("b", "y ", "none", out, sizeof out);
    EXPECT_STREQ(" 2", out);
    ini.ReadString("a", "#c", "none", out, sizeof out);
    EXPECT_STREQ("none", out);
    ini.ReadString("c", "x", "fallback", out, sizeof out);
    EXPECT_STREQ("fallback", out);
    EXPECT_EQ(1, ini.ReadInt("a", "x", 9));
    EXPECT_EQ(9, ini.ReadInt("a", "missing", 9));
}

TEST_F(EcpIniFileTest, WritingRewritesTheWholeFile) {
    write("[a]\nx=1\n#c=2\n[b]\ny = 2\n");
    IniFile ini(path_.c_str());
    ini.WriteString("a", "z", "3");
    EXPECT_EQ("[a]\nx=1\nz=3\n[b]\ny = 2\n", read());
    ini.WriteInt("c", "n", -7);
    EXPECT_EQ("[a]\nx=1\nz=3\n[b]\ny = 2\n[c]\nn=-7\n", read());
    ini.DeleteSection("b");
    EXPECT_EQ("[a]\nx=1\nz=3\n[c]\nn=-7\n", read());
    ini.DeleteAllSection();
    EXPECT_EQ("", read());
}

TEST_F(EcpIniFileTest, LineShapes) {
    write("top=0\nk\n[s]tail\nv=a=b\r\n\n[open\nq=1\n");
    IniFile ini(path_.c_str());
    const auto& s = ini.sections();
    EXPECT_EQ("0", s.at("").at("top")) << "entries before any header";
    EXPECT_EQ("k", s.at("").at("k")) << "a line without = is key and value";
    EXPECT_EQ("a=b\r", s.at("s").at("v")) << "split at the first =, nothing trimmed";
    EXPECT_EQ("1", s.at("open").at("q")) << "header without ]";
}

TEST_F(EcpIniFileTest, ReadIntConversions) {
    write("[n]\na=12abc\nb=abc\nc= -4\nd=99999999999\n");
    IniFile ini(path_.c_str());
    EXPECT_EQ(12, ini.ReadInt("n", "a", 0));
    EXPECT_EQ(-4, ini.ReadInt("n", "c", 0));
    EXPECT_THROW(ini.ReadInt("n", "b", 0), std::invalid_argument);
    EXPECT_THROW(ini.ReadInt("n", "d", 0), std::out_of_range);
}

TEST_F(EcpIniFileTest, MissingFileIsAnEmptyStore) {
    IniFile ini((dir_ + "/none.ini").c_str());
    EXPECT_TRUE(ini.sections().empty());
    IniFile unwritable((dir_ + "/no/such/dir.ini").c_str());
    unwritable.WriteString("a", "b", "c");
    EXPECT_EQ(1u, unwritable.sections().size());
}
