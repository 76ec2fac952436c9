// The demo: loads the plug-in through its exports as a host would, builds a sample object in the
// substitute host and prints its limb tree as the plug-in reports it.
#include <stdio.h>

#include "subhost/loader.h"
#include "subhost/subhost.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : XAMO_PLUGIN_PATH;
  XamoApi x;
  if (!subhost::LoadPlugin(path, &x)) return 1;
  x.ReceiveCoreDataPtr(subhost::CoreData());

  // A small biped: pelvis, spine, head, two arms and two legs.
  const char* names[] = {"root", "pelvis", "spine", "head", "arm.L", "arm.R", "leg.L", "leg.R"};
  const int parents[] = {-1, 0, 1, 2, 2, 2, 1, 1};
  sObject* obj = subhost::MakeObject(1, 8);
  for (uint32_t i = 0; i < 8; ++i) snprintf(subhost::Limb(obj, i)->name, 256, "%s", names[i]);
  subhost::LinkTree(obj, std::vector<int>(parents, parents + 8));

  printf("Xamovel loaded from %s\n", path);
  printf("default play speed: %.1f frames per second\n", x.Xamo_GetDefaultPlaySpeed());
  const uint32_t n = x.Xamo_ObjTotalLimbs(1);
  printf("object 1 has %u limbs:\n", n);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t depth = 0;
    for (uint32_t a = 1; a < n; ++a) depth += x.Xamo_ObjIsLimbChild(1, a, i);
    printf("  %*s%-8s limb %u, parent %u\n", static_cast<int>(2 * depth), "", names[i], i,
           x.Xamo_ObjFindLimbParent(1, i));
  }
  return 0;
}
