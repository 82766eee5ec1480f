#include "host/runtime/families.h"

namespace qhost {

void ConnectFamilies(HostInterface&, NodeFactory&) {}

} // namespace qhost
