#include <gtest/gtest.h>

#include "platform/CDlLibraryLoader.h"

#include <dlfcn.h>

#include <cmath>

#include <filesystem>

#include "support/CTempDir.h"

namespace {

TEST(DlLibraryLoaderTest, ResolvesSymbolsOfALibraryFoundByBareName) {
    CDlLibraryLoader loader;
    void* handle = loader.Open("libm.so.6");
    ASSERT_NE(handle, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(loader.Symbol(handle, "cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(loader.Symbol(handle, "NoSuchEntryPoint"), nullptr);
    loader.Close(handle);
}

TEST(DlLibraryLoaderTest, MissingLibraryGivesNoHandle) {
    CDlLibraryLoader loader;
    EXPECT_EQ(loader.Open("libNoSuchKelvaneLibrary.so"), nullptr);
    EXPECT_EQ(loader.Symbol(nullptr, "cos"), nullptr);
    loader.Close(nullptr);
}

// A library that only the program directory holds is found by its bare name,
// whatever the dynamic loader's own search path (a sanitizer runtime ignores the
// executable's RUNPATH).
TEST(DlLibraryLoaderTest, BareNameIsLookedForInTheProgramDirectoryFirst) {
    CTempDir dir;
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::cos), &info), 0);
    std::filesystem::copy_file(info.dli_fname, dir.Path() + "/libKelvaneLoaderProbe.so");

    CDlLibraryLoader besideProgram(dir.Path());
    void* handle = besideProgram.Open("libKelvaneLoaderProbe.so");
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(besideProgram.Symbol(handle, "cos"), nullptr);
    besideProgram.Close(handle);

    CDlLibraryLoader elsewhere("/nonexistent");
    EXPECT_EQ(elsewhere.Open("libKelvaneLoaderProbe.so"), nullptr);
}

}  // namespace
