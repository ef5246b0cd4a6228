#include "agent/ParameterIndexCache.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <libsmbclient.h>
#include <map>
#include <string>

extern "C" int lpcfg_map_parameter(const char* name);

namespace {

// A table lookup that counts how often each name is asked for.
std::map<std::string, int> asked;
int countingLookup(const char* name)
{
    const std::string key = name ? name : "(null)";
    ++asked[key];
    if (key == "workgroup")
        return 7;
    if (key == "netbios name" || key == "NetBIOS Name")
        return 12;
    if (key == "realm")
        return 0;
    return -1;
}

class ParameterIndexCacheTest : public ::testing::Test {
protected:
    void SetUp() override { asked.clear(); }
    ParameterIndexCache cache;
};

TEST_F(ParameterIndexCacheTest, AsksTheTableOncePerKnownName)
{
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(cache.find("workgroup", countingLookup), 7);
        EXPECT_EQ(cache.find("realm", countingLookup), 0); // index 0 is a found setting too
    }
    EXPECT_EQ(asked["workgroup"], 1);
    EXPECT_EQ(asked["realm"], 1);
}

TEST_F(ParameterIndexCacheTest, EachSpellingIsItsOwnEntry)
{
    // The table ignores case and blanks; the memory does not need to, it only
    // repeats what the table said for exactly that text.
    EXPECT_EQ(cache.find("netbios name", countingLookup), 12);
    EXPECT_EQ(cache.find("NetBIOS Name", countingLookup), 12);
    EXPECT_EQ(cache.find("netbiosname", countingLookup), -1);
    EXPECT_EQ(cache.find("netbios name", countingLookup), 12);
    EXPECT_EQ(asked["netbios name"], 1);
    EXPECT_EQ(asked["NetBIOS Name"], 1);
}

TEST_F(ParameterIndexCacheTest, UnknownNamesAreAskedEveryTime)
{
    EXPECT_EQ(cache.find("no such setting", countingLookup), -1);
    EXPECT_EQ(cache.find("no such setting", countingLookup), -1);
    EXPECT_EQ(asked["no such setting"], 2);
    EXPECT_EQ(cache.find(nullptr, countingLookup), -1);
    EXPECT_EQ(asked["(null)"], 1);
}

TEST_F(ParameterIndexCacheTest, NamesAreCopiedNotReferenced)
{
    std::string name = "workgroup";
    EXPECT_EQ(cache.find(name.c_str(), countingLookup), 7);
    name = "realm";
    EXPECT_EQ(cache.find(name.c_str(), countingLookup), 0);
    name = "workgroup";
    EXPECT_EQ(cache.find(name.c_str(), countingLookup), 7);
    EXPECT_EQ(asked["workgroup"], 1);
}

// The agent's definition against Samba's own, once Samba is loaded and has set
// up a client context (which looks up many settings through the definition).
TEST(SambaSettingLookupTest, AnswersAsSambaDoes)
{
    SMBCCTX* context = smbc_new_context();
    ASSERT_NE(context, nullptr);
    smbc_setOptionDebugToStderr(context, 1);
    ASSERT_NE(smbc_init_context(context), nullptr);

    void* library = ::dlopen("libsamba-hostconfig.so.0", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr) << "libsmbclient brings Samba's settings library";
    auto samba = reinterpret_cast<int (*)(const char*)>(::dlsym(library, "lpcfg_map_parameter"));
    ASSERT_NE(samba, nullptr);
    auto bound = reinterpret_cast<int (*)(const char*)>(::dlsym(RTLD_DEFAULT, "lpcfg_map_parameter"));
    EXPECT_EQ(bound, &lpcfg_map_parameter) << "calls through the dynamic linker reach the definition";

    for (const char* name :
         {"workgroup", "netbios name", "NetBIOS Name", "realm", "client signing", "client ipc signing",
          "client protection", "winbind separator", "client max protocol", "no such setting"}) {
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(lpcfg_map_parameter(name), samba(name)) << name;
    }
    EXPECT_GE(lpcfg_map_parameter("workgroup"), 0);
    EXPECT_EQ(lpcfg_map_parameter("no such setting"), -1);
    EXPECT_NE(lpcfg_map_parameter("workgroup"), lpcfg_map_parameter("realm"));

    ::dlclose(library);
    smbc_free_context(context, 1);
}

} // namespace
