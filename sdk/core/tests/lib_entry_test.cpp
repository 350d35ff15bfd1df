#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/LibDev.h"
#include "core/VXDevice.h"
#include "devsdk.h"

namespace {

// An SDK class that counts its initialisations.
class CountingSdk : public lib_dev {
  public:
    static int inits;
    int init_sdk() override { return ++inits, 0; }
    int call_method(const char*, char*, bool) override { return 0; }
    static std::unique_ptr<lib_dev> _CreateObjectByName() {
        return std::make_unique<CountingSdk>();
    }
};
int CountingSdk::inits = 0;
ClassRegistration<lib_dev, CountingSdk> registerCounting("CountingSdk");

// Runs a test body with another class name claimed, restoring "VXDevice".
class LibNameScope {
  public:
    explicit LibNameScope(const char* name) {
        std::strcpy(saved_, lib_dev::lib_name);
        std::strcpy(lib_dev::lib_name, name);
    }
    ~LibNameScope() { std::strcpy(lib_dev::lib_name, saved_); }

  private:
    char saved_[lib_dev::kLibNameCapacity];
};

TEST(LibEntryTest, InitTwiceGivesOneObjectAndReleaseAllowsANewOne) {
    LibNameScope scope("CountingSdk");
    CountingSdk::inits = 0;
    lib_dev* first = nullptr;
    lib_dev* second = nullptr;
    ASSERT_EQ(lib_init_sdk(&first), 0);
    ASSERT_EQ(lib_init_sdk(&second), 0);
    EXPECT_EQ(first, second);
    EXPECT_EQ(CountingSdk::inits, 1);

    EXPECT_EQ(lib_release_sdk(first), 0);
    lib_dev* third = nullptr;
    ASSERT_EQ(lib_init_sdk(&third), 0);
    EXPECT_EQ(CountingSdk::inits, 2) << "a new object was built and initialised";
    EXPECT_EQ(lib_release_sdk(third), 0);
}

TEST(LibEntryTest, MissingClassGives1411AndLeavesOutAlone) {
    for (const char* name : {"", "NoSuchSdkClass"}) {
        LibNameScope scope(name);
        lib_dev* out = reinterpret_cast<lib_dev*>(0x1);
        EXPECT_EQ(lib_init_sdk(&out), 1411) << name;
        EXPECT_EQ(out, reinterpret_cast<lib_dev*>(0x1));
    }
}

TEST(LibEntryTest, RegistryKeepsTheFirstFactoryAndCreateOfUnknownIsNull) {
    auto before = Registry<lib_dev>::class_set().at("CountingSdk");
    Registry<lib_dev>::_register("CountingSdk", [] { return std::unique_ptr<lib_dev>(); });
    EXPECT_EQ(Registry<lib_dev>::class_set().at("CountingSdk"), before);
    EXPECT_EQ(Registry<lib_dev>::create("NoSuchSdkClass"), nullptr);
}

TEST(LibEntryTest, SdkMethodsAreRegisteredInOrder) {
    const std::vector<std::string> expected = {
        "open_dev",      "close_dev",    "clean_dev",     "get_dev_state",  "poweroff_dev",
        "send_to_parts", "get_dev_info", "get_part_list", "add_filter_dev", "heart_beat"};
    EXPECT_EQ(lib_dev::vector_funcs(), expected);
    EXPECT_EQ(lib_dev::url_port, 12531);
    EXPECT_STREQ(lib_dev::lib_name, "VXDevice");

    std::vector<char> out(1024);
    Registry<VXDevice>::_get_func_set("", out.data());
    EXPECT_STREQ(out.data(),
                 R"({"data":["add_filter_dev","clean_dev","close_dev","get_dev_info",)"
                 R"("get_dev_state","get_part_list","heart_beat","open_dev","poweroff_dev",)"
                 R"("send_to_parts"],"msg":"成功","result":0})");
}

}  // namespace
