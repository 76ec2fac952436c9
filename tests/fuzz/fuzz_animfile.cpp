// The animation file loader on arbitrary bytes: every query on what loaded, then save, load and
// save again: the two saves are byte-identical and the reloaded keys are the keys as loaded.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QueryReloadDelete(AnimRegister(AnimParse(data, size)));
  return 0;
}
