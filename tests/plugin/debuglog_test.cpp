// The debug log, seen from outside: off, and nothing written, unless the program folder holds
// Xamovel.log or XAMOVEL_LOG names a file; then each command that gives a quiet result appends
// its line, and a command that succeeds or answers with a key-editing code appends nothing. The
// plug-in looks for its log once per load, so every case loads a fresh instance.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "support/plugin_fixture.h"
#include "support/text.h"

namespace {

using DebugLog = PluginTest;

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

TEST_F(DebugLog, OffUnlessAFileIsThereThenEachQuietResultAppendsOneLine) {
  unsetenv("XAMOVEL_LOG");
  subhost::MakeObject(1, 15);
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  const std::string self(exe, n > 0 ? static_cast<size_t>(n) : 0);
  const std::string folderLog = self.substr(0, self.rfind('/') + 1) + "Xamovel.log";
  ASSERT_FALSE(Exists(folderLog)) << "a stray " << folderLog << " would switch the log on";
  EXPECT_EQ(Fresh("off.so").Xamo_ObjTotalLimbs(99), 0u);
  EXPECT_FALSE(Exists(folderLog));
  std::ofstream{folderLog};  // with the file there, the same kind of failure appends to it
  Fresh("folder.so").Xamo_ObjRenameLimb(1, 15, const_cast<char*>("x"));
  const std::string got = ReadText(folderLog);
  remove(folderLog.c_str());
  EXPECT_EQ(got, "Xamo_ObjRenameLimb: limb 15 beyond the object's 15 limbs\n");

  const std::string log = TempPath("x.log");
  setenv("XAMOVEL_LOG", log.c_str(), 1);
  const XamoApi p = Fresh("named.so");
  const std::string blank = TempPath("blank.xam"), junk = TempPath("junk.oac"), walk = TempPath("walk.xam");
  std::ofstream(junk) << "not a controller";
  // Succeeding commands, checked with the first case.
  p.Xamo_ObjMakeNewAnimation(1, const_cast<char*>(blank.c_str()));
  const uint32_t anim = p.Xamo_AnimLoad(const_cast<char*>(blank.c_str()));
  const uint32_t oac = p.Xamo_oacCreate(1);
  char oacHex[16];
  snprintf(oacHex, sizeof oacHex, "0x%08x", oac);
  struct Case {
    std::function<void()> run;
    std::string line;  // what it appends; empty: nothing
  };
  const Case cases[] = {
      {[&] { p.Xamo_oacPlayAnim(oac, 1, anim, 0, 0, 1, 1, 0); }, ""},
      {[&] { EXPECT_EQ(p.Xamo_AnimGetKeyRotX(anim, 1, 0), 0.0); }, ""},  // a key whose value is 0
      {[&] { EXPECT_EQ(p.Xamo_AnimDeleteKey(anim, 40, 0), -1); }, ""},   // a key-editing code
      {[&] { p.Xamo_AnimLoad(const_cast<char*>(walk.c_str())); }, "Xamo_AnimLoad: " + walk + ": no such file"},
      {[&] { p.Xamo_oacPlayAnim(oac, 40, anim, 0, 0, 1, 1, 0); },
       "Xamo_oacPlayAnim: limb 40 beyond the object's 15 limbs"},
      {[&] { EXPECT_EQ(p.Xamo_AnimGetKeyRotX(anim, 1, 9), 0.0); },
       "Xamo_AnimGetKeyRotX: key 9 beyond limb 1's 2 keys"},
      // A controller's handle names no animation (a deleted animation's may name a new one on
      // builds where handles are addresses).
      {[&] { EXPECT_EQ(p.Xamo_AnimGetTotalLimbs(oac), 0u); }, std::string("Xamo_AnimGetTotalLimbs: no animation ") + oacHex},
      {[&] { EXPECT_EQ(p.Xamo_ObjFindLimbParent(99, 0), 0u); }, "Xamo_ObjFindLimbParent: no object 99"},
      {[&] { EXPECT_EQ(p.Xamo_oacLoad(const_cast<char*>(junk.c_str()), 1), 0u); },
       "Xamo_oacLoad: " + junk + ": not a controller file"},
      {[&] { EXPECT_EQ(p.Xamo_oacGetLimbIsActive(oac, 15), 0); },
       "Xamo_oacGetLimbIsActive: limb 15 beyond the object's 15 limbs"},
  };
  std::string expected;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    cases[i].run();
    if (!cases[i].line.empty()) expected += cases[i].line + "\n";
    ASSERT_EQ(Exists(log) ? ReadText(log) : "", expected) << "after case " << i;
  }
  unsetenv("XAMOVEL_LOG");
}

}  // namespace
