// The SDK loader on directory trees made here, with stand-in SDK libraries.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "LibCR80SDK.h"
#include "TempTree.h"

using cr80test::readFile;
using cr80test::TempTree;

namespace {

using Files = std::map<std::string, std::string>;
using Libs = std::map<void*, std::string>;

// Each test notes the libraries the loader opened in its own file.
class Cr80Loader : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(tree.root().empty());
        opened = tree.root() + "/opened.txt";
        setenv("CR80STUB_OPENED", opened.c_str(), 1);
    }
    // The libraries loaded stay open, as in the program.
    void TearDown() override { unsetenv("CR80STUB_OPENED"); }

    // Walks and loads like the program does, with this test's maps; the trace.
    std::string searchAndLoad(const std::string& dir) {
        testing::internal::CaptureStdout();
        findSOFiles(files, dir.c_str());
        AsyncLibLoad(libs, files);
        return testing::internal::GetCapturedStdout();
    }

    TempTree tree;
    std::string opened;
    Files files;
    Libs libs;
};

TEST_F(Cr80Loader, TreeWithoutAcceptedNamesLoadsNothing) {
    // Names with ".so" in them, but none of the four accepted ones: never opened.
    tree.copy(STUB_FULL, "a/libother.so");
    tree.copy(STUB_FULL, "a/b/KQCR80Printer.so.1");
    tree.copy(STUB_FULL, "kqcr80printer.so");
    tree.copy(STUB_FULL, "c/KQCR80Printer.SO");
    tree.write("c/notes.txt", "x");
    const std::string trace = searchAndLoad(tree.root());
    EXPECT_TRUE(files.empty());
    EXPECT_TRUE(libs.empty());
    EXPECT_EQ(std::string::npos, trace.find("mapFileLst"));
    EXPECT_EQ("", readFile(opened));
    // The walk went down into every directory.
    EXPECT_NE(std::string::npos, trace.find("in findSOFiles1:" + tree.root() + "/a/b\n"));
}

TEST_F(Cr80Loader, FirstFileOfANameMetInTheWalkWins) {
    const std::string first = tree.copy(STUB_FULL, "one/KQCR80Printer.so");
    const std::string second = tree.copy(STUB_FULL, "two/KQCR80Printer.so");
    tree.copy(STUB_FULL, "two/MX2280Printer.so");
    // The walk takes entries in the order the directory lists them.
    std::string firstDir;
    DIR* d = opendir(tree.root().c_str());
    ASSERT_NE(nullptr, d);
    while (const dirent* e = readdir(d)) {
        if (firstDir.empty() && (!std::strcmp(e->d_name, "one") || !std::strcmp(e->d_name, "two")))
            firstDir = e->d_name;
    }
    closedir(d);
    const std::string winner = firstDir == "one" ? first : second;

    const std::string trace = searchAndLoad(tree.root());
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(tree.root() + "/" + firstDir + "/", files["KQCR80Printer.so"]);
    EXPECT_EQ(tree.root() + "/two/", files["MX2280Printer.so"]);
    EXPECT_NE(std::string::npos, trace.find("mapFileLst 增加KQCR80Printer.so : " + tree.root() +
                                            "/" + firstDir + "/\n"));
    ASSERT_EQ(2u, libs.size());
    EXPECT_EQ(winner + "\n" + tree.root() + "/two/MX2280Printer.so\n", readFile(opened));
    // Each kept object has every entry point.
    for (auto& [object, name] : libs) {
        auto* sdk = static_cast<LibCR80SDK*>(object);
        EXPECT_NE(nullptr, sdk->libHandle);
        EXPECT_NE(nullptr, sdk->libCR80LibInit);
        EXPECT_NE(nullptr, sdk->libCR80SetEraseRect);
    }
}

TEST_F(Cr80Loader, LibraryWithoutTheLastEntryPointIsOpenedReportedAndLeftOut) {
    const std::string path = tree.copy(STUB_NO_ERASE, "x/T415RWPrinter.so");
    const std::string trace = searchAndLoad(tree.root());
    ASSERT_EQ(1u, files.size());
    EXPECT_TRUE(libs.empty());
    EXPECT_EQ(path + "\n", readFile(opened));
    EXPECT_NE(std::string::npos, trace.find("AsyncLibLoadT415RWPrinter.so:" + tree.root() +
                                            "/x/\n"
                                            "in LoadLibCR80SDK1\nin LoadLibCR80SDK4\n"
                                            "in LoadLibCR80SDK5无法加载函数libCR80SetEraseRect" +
                                            path + "\n"))
        << trace;
    EXPECT_EQ(std::string::npos, trace.find("in LoadLibCR80SDK6"));
}

TEST_F(Cr80Loader, SymbolicLinkToADirectoryIsNotFollowed) {
    TempTree outside;
    outside.copy(STUB_FULL, "lib/QuillonPrinter.so");
    ASSERT_EQ(0, symlink((outside.root() + "/lib").c_str(), (tree.root() + "/link").c_str()));
    const std::string trace = searchAndLoad(tree.root());
    EXPECT_TRUE(files.empty());
    EXPECT_NE(std::string::npos, trace.find("in findSOFiles3" + tree.root() + "/link\n"));
    EXPECT_EQ(std::string::npos, trace.find("in findSOFiles1:" + tree.root() + "/link"));
}

TEST_F(Cr80Loader, FilesThatCannotBeLoaded) {
    struct Case {
        const char* subdir;
        const char* content;  // null: no file at all
        const char* expected;
    };
    const Case cases[] = {
        {"missing", nullptr, "in LoadLibCR80SDK2无法加载"},
        {"text", "not a library", "in LoadLibCR80SDK3无法加载函数DLL "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subdir);
        const std::string dir = tree.dir(c.subdir) + "/";
        if (c.content) tree.write(std::string(c.subdir) + "/KQCR80Printer.so", c.content);
        LibCR80SDK sdk;
        testing::internal::CaptureStdout();
        EXPECT_EQ(-1, sdk.LoadLibCR80SDK("KQCR80Printer.so", dir.c_str()));
        const std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(sdk.loadFinished);
        EXPECT_EQ(nullptr, sdk.libHandle);
        EXPECT_EQ(0u, trace.find(std::string("in LoadLibCR80SDK1\n") + c.expected + dir +
                                 "KQCR80Printer.so"))
            << trace;
    }
}

TEST_F(Cr80Loader, StartDirectoryTooLongForItsBufferIsNotSearched) {
    std::string dir = tree.root();
    while (dir.size() < 300) dir = tree.dir(dir.substr(tree.root().size()) + "/deeper");
    tree.copy(STUB_FULL, dir.substr(tree.root().size() + 1) + "/KQCR80Printer.so");
    testing::internal::CaptureStdout();
    SearchLibrary(files, dir.data());
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(files.empty());
    EXPECT_EQ("in SearchLibrary\nin SearchLibrary3\nin SearchLibrary4\n", trace);
}

// The process-wide maps: searched once, loaded once.
TEST_F(Cr80Loader, SecondCallAfterASuccessfulSearchDoesNothing) {
    tree.copy(STUB_FULL, "sdk/KQCR80Printer.so");
    const std::string sdkDir = tree.root() + "/sdk/";
    std::string start = tree.root();
    testing::internal::CaptureStdout();
    libC80_loadLibrary(start.data());
    const std::string trace = testing::internal::GetCapturedStdout();
    const char* const inOrder[] = {"in libC80_loadLibrary2\nin SearchLibrary\nin SearchLibrary3\n",
                                   "in findSOFiles1:",
                                   "mapFileLst 增加KQCR80Printer.so : ",
                                   "in SearchLibrary4\nin libC80_loadLibrary3[]1\n",
                                   "AsyncLibLoadKQCR80Printer.so:",
                                   "in LoadLibCR80SDK1\nin LoadLibCR80SDK4\nin LoadLibCR80SDK6\n"
                                   "in libC80_loadLibrary4\n"};
    size_t at = 0;
    for (const char* part : inOrder) {
        at = trace.find(part, at);
        ASSERT_NE(std::string::npos, at) << part << "\n" << trace;
    }
    ASSERT_EQ(1u, LibCR80SDK::mapLibs.size());
    EXPECT_EQ(sdkDir, LibCR80SDK::mapFileLst["KQCR80Printer.so"]);
    EXPECT_EQ("KQCR80Printer.so", LibCR80SDK::mapLibs.begin()->second);

    testing::internal::CaptureStdout();
    libC80_loadLibrary(start.data());
    libC80_loadLibrary(nullptr);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1u, LibCR80SDK::mapLibs.size());
    EXPECT_EQ(sdkDir + "KQCR80Printer.so\n", readFile(opened));
}

}  // namespace
