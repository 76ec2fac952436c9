// The command table and what is made from it: every row exported by the plug-in under its
// decorated name, listed in dist/'s command list and keyword file in the host's form, with a
// complete, linked help page and a place in the reference; the line ends a Windows user expects,
// and the checked-in reference equal to what the build generates.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/text.h"

namespace {

// A parameter name without spaces and without the BASIC type marks $ and #.
std::string Bare(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == ' ' || c == '$' || c == '#'; }), s.end());
  return s;
}

// A row: "Name[%letters%decorated%Param, Param", '[' marking a command with a result.
struct Row {
  std::string text, name, decorated;
  bool returnsValue;
  std::vector<std::string> params;  // bare names
};

std::vector<Row> Table() {
  std::vector<Row> rows;
  for (const std::string& line : Lines(ReadText(XAMO_TABLE_PATH))) {
    const std::vector<std::string> f = Split(line, '%');
    Row r{line, f[0], f.size() > 2 ? f[2] : "", !f[0].empty() && f[0].back() == '[', {}};
    if (r.returnsValue) r.name.pop_back();
    if (f.size() > 3)
      for (const std::string& p : Split(f[3], ',')) r.params.push_back(Bare(p));
    rows.push_back(r);
  }
  return rows;
}

const std::string kDist = XAMO_DIST_DIR, kHelp = kDist + "/Help/addoncommands/Xamovel/";

// The text between `open` and the next `close` after `from`, or "" when there is none.
std::string Between(const std::string& s, const std::string& open, const std::string& close, size_t from = 0) {
  size_t a = s.find(open, from);
  if (a == std::string::npos) return "";
  a += open.size();
  size_t b = s.find(close, a);
  return b == std::string::npos ? "" : s.substr(a, b - a);
}

// Whether the text has lines and every one ends in CRLF (crlf) or none does.
bool LineEnds(const std::string& text, bool crlf) {
  const std::vector<std::string> pieces = Split(text, '\n');  // all but the last end in LF
  return pieces.size() > 1 && std::all_of(pieces.begin(), pieces.end() - 1, [&](const std::string& p) {
           return (!p.empty() && p.back() == '\r') == crlf;
         });
}

TEST(CommandTable, EveryRowIsExportedListedAndDocumented) {
  const std::vector<Row> rows = Table();
  ASSERT_EQ(rows.size(), 97u);
  std::vector<std::string> texts;
  for (const Row& r : rows) texts.push_back(r.text);
  EXPECT_EQ(Lines(ReadText(kDist + "/Xamovel.dll.commands")), texts);
  const std::vector<std::string> keywords = Lines(ReadText(kDist + "/Keywords/Xamovel.ini"));
  ASSERT_EQ(keywords.size(), rows.size() + 1);
  EXPECT_EQ(keywords[0], "[LINKS]");  // the host's own keyword files open so; no other line is a section
  const std::string index = ReadText(kHelp + "index.htm"), reference = ReadText(XAMO_REFERENCE);
  void* lib = dlopen(XAMO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    // The decoration names the command and has a result code exactly when the row has '['; the
    // ELF build exports it with '$' for '@', and nothing under a plain name.
    EXPECT_EQ(r.name.rfind("Xamo_", 0), 0u);
    ASSERT_EQ(r.decorated.rfind("?" + r.name + "@@YA", 0), 0u) << r.text;
    EXPECT_EQ(r.decorated[r.name.size() + 5] != 'X', r.returnsValue) << r.text;
    std::string elf = r.decorated;
    std::replace(elf.begin(), elf.end(), '@', '$');
    EXPECT_NE(dlsym(lib, elf.c_str()), nullptr) << elf;
    EXPECT_EQ(dlsym(lib, r.name.c_str()), nullptr);

    // The keyword line: name=help page=synopsis, "(A, B)" for a command with a result, "A, B"
    // else, "(*no parameters*)" for none.
    const auto line = std::find_if(keywords.begin(), keywords.end(),
                                   [&](const std::string& l) { return l.rfind(r.name + "=", 0) == 0; });
    ASSERT_NE(line, keywords.end()) << "no keyword line starts with the name as the command spells it";
    const std::vector<std::string> k = Split(*line, '=');
    ASSERT_EQ(k.size(), 3u) << *line;
    EXPECT_EQ(k[1], "addoncommands\\Xamovel\\" + r.name + ".htm");
    const bool parens = r.returnsValue || r.params.empty();
    ASSERT_TRUE(!parens || (k[2].size() >= 2 && k[2].front() == '(' && k[2].back() == ')')) << k[2];
    std::vector<std::string> params;
    for (const std::string& p : Split(k[2].substr(parens, k[2].size() - 2 * parens), ',')) params.push_back(Bare(p));
    if (r.params.empty()) EXPECT_EQ(k[2], "(*no parameters*)");
    else EXPECT_EQ(params, r.params);

    // The help page, linked from the index and named in the reference: name and export, a
    // parameter row per parameter spelled as the syntax line spells it, a description, an example
    // and "See also" links; every other command it names is a link.
    EXPECT_NE(index.find("href=\"" + r.name + ".htm\""), std::string::npos);
    EXPECT_NE(reference.find(" " + r.name + "("), std::string::npos);
    const std::string page = ReadText(kHelp + r.name + ".htm");
    EXPECT_TRUE(LineEnds(page, true));
    EXPECT_NE(page.find("<h1>" + r.name + "</h1>"), std::string::npos);
    EXPECT_NE(page.find(r.decorated), std::string::npos);
    const std::string syntax = Between(page, "<h2>Syntax</h2>\r\n<pre>", "</pre>");
    std::vector<std::string> rowNames;
    for (size_t at = page.find("<tr><td><code>"); at != std::string::npos; at = page.find("<tr><td><code>", at + 1))
      rowNames.push_back(Between(page, "<code>", "</code>", at));
    ASSERT_EQ(rowNames.size(), r.params.size());
    for (size_t i = 0; i < rowNames.size(); ++i) {
      EXPECT_EQ(Bare(rowNames[i]), r.params[i]);
      EXPECT_NE(syntax.find(rowNames[i]), std::string::npos) << rowNames[i] << " is not in " << syntax;
    }
    EXPECT_EQ(page.find("<h2>Result</h2>\r\n<p>None."), r.returnsValue ? std::string::npos : page.find("<h2>Result"));
    EXPECT_NE(Between(page, "<h2>Description</h2>\r\n<p>", "</p>"), "");
    EXPECT_NE(Between(page, "<h2>Example</h2>\r\n<pre>", "</pre>").find("Xamo_"), std::string::npos);
    EXPECT_NE(Between(page, "<h2>See also</h2>\r\n<p>", "</p>").find(".htm\">Xamo_"), std::string::npos);
    std::string plain = page;
    for (size_t a; (a = plain.find("<a ")) != std::string::npos;) plain.erase(a, plain.find("</a>", a) + 4 - a);
    for (size_t at = plain.find("Xamo_"); at != std::string::npos; at = plain.find("Xamo_", at + 1))
      EXPECT_EQ(plain.compare(at, r.name.size(), r.name), 0) << plain.substr(at, 40);
  }
  EXPECT_NE(dlsym(lib, "?ReceiveCoreDataPtr$$YAXPAX$Z"), nullptr);
  EXPECT_EQ(dlsym(lib, "ReceiveCoreDataPtr"), nullptr);
  EXPECT_EQ(dlsym(lib, "FindLimbParent"), nullptr);  // nor the core's own functions
  dlclose(lib);
}

// What a Windows user opens in an editor has CRLF line ends (the help pages are checked above);
// the command list stays as the table.
TEST(Dist, ShippedTextFilesHaveTheirLineEnds) {
  for (const std::string name : {"Keywords/Xamovel.ini", "Help/addoncommands/Xamovel/index.htm", "INSTALL.txt",
                                 "LICENSE.txt", "examples/play_animation.dba", "examples/crossfade_upper_body.dba",
                                 "examples/edit_keys.dba", "Xamovel.dll.commands"})
    EXPECT_TRUE(LineEnds(ReadText(kDist + "/" + name), name != "Xamovel.dll.commands")) << name;
}

TEST(Dist, CheckedInReferenceIsUpToDate) {
  const std::string generated = ReadText(XAMO_REFERENCE);
  ASSERT_FALSE(generated.empty());
  EXPECT_TRUE(ReadText(XAMO_SOURCE_DIR "/docs/commands.md") == generated)
      << "docs/commands.md differs from the generated " << XAMO_REFERENCE << ": diff them, then copy it over";
}

}  // namespace
