#include <gtest/gtest.h>

#include "platform/null/NullBackend.h"

TEST(NullSettingsStore, ValuesKeepTheirTypes) {
    CNullBackend backend;
    auto store = backend.GetPlatform().createSettingsStore();
    ASSERT_TRUE(store->Open("Maker", "Product"));
    EXPECT_FALSE(store->Exists());
    ASSERT_TRUE(store->SetString("", "Text", "abc"));
    ASSERT_TRUE(store->SetInteger("Sub/Deeper", "Number", -42));
    ASSERT_TRUE(store->SetBinary("Sub", "Record", {1, 2, 3}));
    std::string text;
    int64_t number = 0;
    std::vector<uint8_t> record;
    EXPECT_TRUE(store->GetString("", "Text", text));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(store->GetInteger("Sub/Deeper", "Number", number));
    EXPECT_EQ(number, -42);
    EXPECT_TRUE(store->GetBinary("Sub", "Record", record));
    EXPECT_EQ(record, (std::vector<uint8_t>{1, 2, 3}));
    // The wrong type is no value, and the target stays as it was.
    EXPECT_FALSE(store->GetInteger("", "Text", number));
    EXPECT_EQ(number, -42);
    EXPECT_FALSE(store->GetString("Sub", "Record", text));
    EXPECT_FALSE(store->GetBinary("Sub/Deeper", "Number", record));
    EXPECT_FALSE(store->GetString("Sub", "Text", text));  // another key
}

TEST(NullSettingsStore, UnsavedWritesAreDroppedByOpening) {
    CNullBackend backend;
    auto store = backend.GetPlatform().createSettingsStore();
    ASSERT_TRUE(store->Open("Maker", "Product"));
    store->SetString("", "Kept", "1");
    ASSERT_TRUE(store->Save());
    store->SetString("", "Dropped", "2");
    ASSERT_TRUE(store->Open("Maker", "Product"));
    EXPECT_TRUE(store->Exists());
    std::string text;
    EXPECT_TRUE(store->GetString("", "Kept", text));
    EXPECT_FALSE(store->GetString("", "Dropped", text));
    auto other = backend.GetPlatform().createSettingsStore();
    ASSERT_TRUE(other->Open("Maker", "Other"));
    EXPECT_FALSE(other->Exists());
}

TEST(NullSettingsStore, NamesWithSeparatorsAreRefused) {
    CNullBackend backend;
    auto store = backend.GetPlatform().createSettingsStore();
    EXPECT_FALSE(store->SetString("", "Name", "x"));  // not open
    EXPECT_FALSE(store->Open("Ma/ker", "Product"));
    EXPECT_FALSE(store->Open("Maker", ""));
    ASSERT_TRUE(store->Open("Maker", "Product"));
    EXPECT_FALSE(store->SetString("", "a/b", "x"));
    EXPECT_FALSE(store->SetString("", "a\\b", "x"));
    EXPECT_FALSE(store->SetString("", "", "x"));
    EXPECT_FALSE(store->SetString("Sub/", "Name", "x"));
    EXPECT_FALSE(store->SetString("/Sub", "Name", "x"));
    EXPECT_FALSE(store->SetString("Sub//Key", "Name", "x"));
    EXPECT_FALSE(store->SetString(nullptr, "Name", "x"));
    EXPECT_STRNE(store->GetError(), "");
    EXPECT_TRUE(store->SetString("Sub/Key", "Name", "x"));
}

TEST(NullSettingsStore, AFailingDiskKeepsTheSavedSettings) {
    CNullBackend backend;
    auto store = backend.GetPlatform().createSettingsStore();
    ASSERT_TRUE(store->Open("Maker", "Product"));
    store->SetInteger("", "Value", 1);
    ASSERT_TRUE(store->Save());
    backend.GetSettingsDisk().failSaves = true;
    store->SetInteger("", "Value", 2);
    EXPECT_FALSE(store->Save());
    EXPECT_STRNE(store->GetError(), "");
    ASSERT_TRUE(store->Open("Maker", "Product"));
    int64_t value = 0;
    EXPECT_TRUE(store->GetInteger("", "Value", value));
    EXPECT_EQ(value, 1);
}
