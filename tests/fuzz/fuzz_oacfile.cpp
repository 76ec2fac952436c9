// The controller file loader on arbitrary bytes, onto objects whose limb count matches the file's
// and onto one whose count does not; then updates, playback commands and queries on what loaded.
#include <string.h>

#include <fstream>

#include "fuzz_support.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FreshHost();
  // The limb count the file claims, where a file of this magic length would keep it.
  uint32_t magic = 0, claimed = 0;
  if (size >= 4) memcpy(&magic, data, 4);
  if (magic <= 255 && size >= 4 + magic + 16) memcpy(&claimed, data + 4 + magic + 12, 4);
  const uint32_t n = claimed <= 24 ? claimed : claimed % 25;
  sObject* matching = subhost::MakeObject(1, n, size & 1 ? subhost::Generation::Current : subhost::Generation::Classic);
  for (uint32_t i = 1; i < n; ++i) subhost::Link(matching, i - 1, i);  // a chain
  subhost::MakeObject(2, n + 1);
  static const std::string path = ScratchPath("file.oac"), saved = ScratchPath("saved.oac");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Input in{data, size};  // the same bytes drive the commands below
  const uint32_t anim = MakeAnim(in, 4, 3);
  for (uint32_t obj = 1; obj <= 2; ++obj) {
    const uint32_t oac = Xamo_oacLoad(const_cast<char*>(path.c_str()), obj);
    if (!oac) continue;
    Check(Xamo_oacGetObjectID(oac) == obj, "a loaded controller names its object");
    for (int steps = 0; steps < 12 && in.More(); ++steps) PlaybackCommand(in, oac, in.Below(n + 2), anim);
    Xamo_oacUpdate(oac, 16);
    Xamo_oacUpdate(oac, 0xFFFFFFFFu);
    for (uint32_t l = 0; l <= n && l < 8; ++l) QueryController(oac, l, l + 1);
    Xamo_oacSave(oac, const_cast<char*>(saved.c_str()));
    const uint32_t again = Xamo_oacLoad(const_cast<char*>(saved.c_str()), obj);
    Check(again != 0, "a saved controller loads again");
    Xamo_oacDelete(again);
    Xamo_oacDelete(oac);
  }
  Xamo_AnimDelete(anim);
  return 0;
}
