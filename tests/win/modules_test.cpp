// The module table: load counts, exports, and the transparency export that depends on compositing.
#include "platform/win/Modules.h"

#include <gtest/gtest.h>

namespace rt::win {
namespace {

// Asks whether a module exports a function, loading it for the question when needed, as window shaping
// does before choosing its path.
bool functionExists(const String& function, const String& module) {
    HMODULE handle = GetModuleHandleA(module);
    bool loadedHere = false;
    if (handle == 0) {
        handle = LoadLibraryA(module);
        loadedHere = handle != 0;
    }
    const bool exists = handle != 0 && GetProcAddress(handle, function) != nullptr;
    if (loadedHere)
        FreeLibrary(handle);
    return exists;
}

class CompositingOverride : public ::testing::Test {
  protected:
    ~CompositingOverride() override { setCompositingForTesting(std::nullopt); }
};

TEST(Modules, NamesIgnoreCaseAndTheDllSuffix) {
    const HMODULE user32 = GetModuleHandleA("user32");
    EXPECT_NE(user32, 0);
    EXPECT_EQ(GetModuleHandleA("USER32.DLL"), user32);
    EXPECT_EQ(GetModuleHandleA("User32.dll"), user32);
    EXPECT_NE(GetModuleHandleA("gdi32"), user32);
    EXPECT_NE(GetModuleHandleA("kernel32"), 0);
    EXPECT_EQ(GetModuleHandleA("shell32"), 0);
    EXPECT_EQ(LoadLibraryA("shell32"), 0);
    EXPECT_EQ(loadCount("shell32"), 0);
}

TEST(Modules, LoadableModulesCountTheirLoadsAndUnloadAtZero) {
    ASSERT_EQ(GetModuleHandleA("msimg32"), 0);
    ASSERT_EQ(loadCount("msimg32"), 0);

    const HMODULE first = LoadLibraryA("msimg32");
    ASSERT_NE(first, 0);
    EXPECT_EQ(LoadLibraryA("MSIMG32.dll"), first);
    EXPECT_EQ(loadCount("msimg32"), 2);
    EXPECT_NE(GetProcAddress(first, "TransparentBlt"), nullptr);
    EXPECT_EQ(GetProcAddress(first, "transparentblt"), nullptr) << "export names keep their case";
    EXPECT_EQ(GetProcAddress(first, "BitBlt"), nullptr) << "BitBlt is gdi32's";

    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("msimg32"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(loadCount("msimg32"), 0);
    EXPECT_EQ(GetModuleHandleA("msimg32"), 0);
    EXPECT_EQ(GetProcAddress(first, "TransparentBlt"), nullptr);
    EXPECT_FALSE(FreeLibrary(first));
}

TEST(Modules, ModulesOfTheProcessStayLoaded) {
    const int before = loadCount("user32");
    ASSERT_GE(before, 1);
    const HMODULE user32 = LoadLibraryA("user32");
    EXPECT_EQ(loadCount("user32"), before + 1);
    for (int i = 0; i < before + 3; ++i)
        FreeLibrary(user32);
    EXPECT_EQ(loadCount("user32"), 1);
    EXPECT_EQ(GetModuleHandleA("user32"), user32);
}

TEST(Modules, EachStandInIsExportedByItsModule) {
    EXPECT_TRUE(functionExists("TransparentBlt", "msimg32"));
    EXPECT_TRUE(functionExists("OleTranslateColor", "oleaut32"));
    EXPECT_FALSE(functionExists("SetWindowRgn", "gdi32"));
    EXPECT_FALSE(functionExists("Anything", "nosuchmodule"));
}

TEST(Modules, AskingALoadableModuleLeavesItsCountAsItWas) {
    EXPECT_EQ(loadCount("oleaut32"), 0);
    EXPECT_TRUE(functionExists("OleTranslateColor", "oleaut32"));
    EXPECT_EQ(loadCount("oleaut32"), 0);
    EXPECT_EQ(GetModuleHandleA("oleaut32"), 0);

    const HMODULE held = LoadLibraryA("oleaut32");
    EXPECT_TRUE(functionExists("OleTranslateColor", "oleaut32"));
    EXPECT_EQ(loadCount("oleaut32"), 1) << "an already loaded module is neither loaded nor freed";
    FreeLibrary(held);

    const int user32 = loadCount("user32");
    EXPECT_TRUE(functionExists("SetWindowPos", "user32"));
    EXPECT_EQ(loadCount("user32"), user32);
}

TEST_F(CompositingOverride, LayeredWindowsAreExportedOnlyUnderACompositor) {
    const HMODULE user32 = GetModuleHandleA("user32");
    setCompositingForTesting(true);
    EXPECT_TRUE(compositingActive());
    EXPECT_NE(GetProcAddress(user32, "SetLayeredWindowAttributes"), nullptr);

    setCompositingForTesting(false);
    EXPECT_EQ(GetProcAddress(user32, "SetLayeredWindowAttributes"), nullptr);
    EXPECT_NE(GetProcAddress(user32, "SetWindowRgn"), nullptr);

    // The offscreen platform has no compositor.
    setCompositingForTesting(std::nullopt);
    EXPECT_FALSE(compositingActive());
    EXPECT_FALSE(functionExists("SetLayeredWindowAttributes", "user32"));
}

} // namespace
} // namespace rt::win
