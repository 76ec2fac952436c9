// The animation file loader on arbitrary bytes: every query on what loaded, then save, load and
// save again: the two saves are byte-identical and the reloaded keys are the keys as loaded.
#include "anim/animfile.h"
#include "fuzz_support.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint32_t id = AnimRegister(AnimParse(data, size));
  QueryAnim(id);
  Xamo_AnimDelete(Reload(id));
  return 0;
}
