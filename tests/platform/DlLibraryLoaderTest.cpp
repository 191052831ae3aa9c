#include <gtest/gtest.h>

#include "platform/CDlLibraryLoader.h"

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

}  // namespace
