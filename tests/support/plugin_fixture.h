// Test fixture for command tests: the plug-in loaded through its exports (once per process) and a
// fresh substitute host for every test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "subhost/loader.h"
#include "subhost/subhost.h"

// The plug-in's exports, loaded on first use.
const XamoApi& Xamo();

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const XamoApi& x = Xamo();
  // A path for a scratch file of this test (removed at tear-down).
  std::string TempPath(const char* name);
  // A fresh instance of the plug-in, with state of its own (a copy of the shared object), bound
  // to the substitute host.
  XamoApi Fresh(const char* copyName);

 private:
  std::string tempDir_;
};
