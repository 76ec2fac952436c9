#include "plugin/debuglog.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

DebugLogState g_debugLogState = kDebugLogUnknown;

namespace {

const char kLogName[] = "Xamovel.log";
char g_logPath[1024];

bool IsRegularFile(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

// The folder of the running program's executable, with its trailing separator, into out; its
// length, or 0 when it cannot be told.
size_t ProgramFolder(char* out, size_t room) {
#if defined(_WIN32)
  const DWORD n = GetModuleFileNameA(nullptr, out, static_cast<DWORD>(room));
  if (n == 0 || n >= room) return 0;
#else
  const ssize_t n = readlink("/proc/self/exe", out, room - 1);
  if (n <= 0) return 0;
#endif
  size_t end = static_cast<size_t>(n);
  while (end > 0 && out[end - 1] != '/' && out[end - 1] != '\\') --end;
  out[end] = '\0';
  return end;
}

// Settles once whether there is a log and where.
DebugLogState LookForLog() {
  const char* named = getenv("XAMOVEL_LOG");
  if (named && *named) {
    if (strlen(named) >= sizeof g_logPath) return kDebugLogOff;
    strcpy(g_logPath, named);
    return kDebugLogOn;
  }
  const size_t n = ProgramFolder(g_logPath, sizeof g_logPath);
  if (n == 0 || n + sizeof kLogName > sizeof g_logPath) return kDebugLogOff;
  memcpy(g_logPath + n, kLogName, sizeof kLogName);
  return IsRegularFile(g_logPath) ? kDebugLogOn : kDebugLogOff;
}

}  // namespace

void DebugLogWrite(const char* command, const char* format, ...) {
  if (g_debugLogState == kDebugLogUnknown) g_debugLogState = LookForLog();
  if (g_debugLogState != kDebugLogOn) return;
  char line[512];
  int used = snprintf(line, sizeof line, "%s: ", command);
  if (used < 0 || static_cast<size_t>(used) >= sizeof line) used = 0;
  va_list args;
  va_start(args, format);
  vsnprintf(line + used, sizeof line - used, format, args);
  va_end(args);
  FILE* f = fopen(g_logPath, "a");  // text mode: Windows lines end in CR LF
  if (!f) {
    g_debugLogState = kDebugLogOff;
    return;
  }
  fputs(line, f);
  fputc('\n', f);
  fclose(f);
}

void DebugLogFileText(const char* command, const char* fileName, FileLoadResult why, const char* what) {
  const char* name = DebugLogName(fileName);
  switch (why) {
    case kFileLoaded: return;
    case kFileUnreadable: {
      struct stat st;
      DebugLogWrite(command, "%s: %s", name, fileName && stat(fileName, &st) == 0 ? "cannot be read" : "no such file");
      return;
    }
    case kFileForeign: DebugLogWrite(command, "%s: not %s file", name, what); return;
    case kFileTruncated: DebugLogWrite(command, "%s: truncated", name); return;
    case kFileOtherLimbs: DebugLogWrite(command, "%s: made for another limb count than the object's", name); return;
  }
}
