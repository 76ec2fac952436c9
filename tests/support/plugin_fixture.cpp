#include "support/plugin_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "plugin/host.h"

const XamoApi& Xamo() {
  static XamoApi api;
  static bool loaded = subhost::LoadPlugin(XAMO_PLUGIN_PATH, &api);
  if (!loaded) abort();
  return api;
}

void PluginTest::SetUp() {
  subhost::Reset();
  x.ReceiveCoreDataPtr(subhost::CoreData());
  HostSetCoreData(subhost::CoreData());  // the core linked into the tests reaches the same host
  char pattern[] = "/tmp/xamovel-test-XXXXXX";
  const char* dir = mkdtemp(pattern);
  tempDir_ = dir ? dir : "/tmp";
}

void PluginTest::TearDown() {
  std::error_code ignored;
  if (tempDir_ != "/tmp") std::filesystem::remove_all(tempDir_, ignored);
  x.Xamo_SetDefaultPlaySpeed(30.0f);
  // The host's records go with the next reset: let no binding keep pointing at them.
  x.ReceiveCoreDataPtr(nullptr);
  HostSetCoreData(nullptr);
}

std::string PluginTest::TempPath(const char* name) { return tempDir_ + "/" + name; }

XamoApi PluginTest::Fresh(const char* copyName) {
  const std::string copy = TempPath(copyName);
  std::error_code error;
  EXPECT_TRUE(std::filesystem::copy_file(XAMO_PLUGIN_PATH, copy, error)) << error.message();
  XamoApi api;
  EXPECT_TRUE(subhost::LoadPlugin(copy.c_str(), &api));
  api.ReceiveCoreDataPtr(subhost::CoreData());
  return api;
}
