#include "description_support.h"

#include <gtest/gtest.h>
#include <stdexcept>

#include "host/runtime/host.h"

namespace qhost::test {
namespace {

// Loads the module into the process's host before the first test; a module
// stays loaded for the life of the process, so once is all there is.
class ModuleEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    const ModuleStatus status = Host::Instance().LoadModule(String(kModuleFolder) + "/quorvane.dud64");
    ASSERT_TRUE(status.error.empty()) << status.error;
  }
  void TearDown() override { Host::Instance().EndModules(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

} // namespace

MenuGenerator::MenuGenerator()
{
  doc_ = BaseDocument::Alloc();
  op_ = BaseObject::Alloc(kGeneratorId);
  if (!doc_ || !op_)
    throw std::runtime_error("the host cannot create the generator");
  doc_->InsertObject(op_, nullptr, nullptr);
  op_->Message(MSG_MENUPREPARE);
}

MenuGenerator::~MenuGenerator() { BaseDocument::Free(doc_); }

} // namespace qhost::test
