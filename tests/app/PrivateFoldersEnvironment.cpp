// Every application test process runs on data folders of its own.
#include <gtest/gtest.h>

#include <memory>

#include "PrivateFolders.h"

namespace {

class CPrivateFoldersEnvironment : public testing::Environment {
public:
    void SetUp() override { m_folders = std::make_unique<CPrivateFolders>(); }
    void TearDown() override { m_folders.reset(); }

private:
    std::unique_ptr<CPrivateFolders> m_folders;
};

testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new CPrivateFoldersEnvironment);

}  // namespace
