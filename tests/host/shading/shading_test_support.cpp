#include "shading_test_support.h"

#include "host/runtime/host.h"

namespace qhost::test {

void UseHost() { Host::Instance(); }

bool LoadQuorvaneModule()
{
  static const bool loaded = [] {
    const ModuleStatus status = Host::Instance().LoadModule(QV_BUILD_DIR "/plugins/quorvane/quorvane.dud64");
    return status.error.empty();
  }();
  return loaded;
}

BaseShader* ConstantShader(const Vector& c)
{
  UseHost();
  BaseShader* shader = BaseShader::Alloc(Xnoise);
  if (!shader)
    return nullptr;
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_COLOR1)), c, DESCFLAGS_SET::NONE);
  shader->SetParameter(DescID(DescLevel(SLA_NOISE_COLOR2)), c, DESCFLAGS_SET::NONE);
  return shader;
}

} // namespace qhost::test
