// The release this module was built as, kept in the file so that it can be
// told without loading it (strings Velmora.cpm | grep '^Velmora '). Local
// and marked used: it is neither exported nor dropped.
#include "velmora_version.h"

namespace velmora {
namespace {

[[gnu::used]] constexpr char kModuleVersion[] = "Velmora " VELMORA_VERSION;

}  // namespace
}  // namespace velmora
