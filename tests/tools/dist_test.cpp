// dist/ and the command reference against the command table: every command in every generated
// file, the keyword file in the host's form, help pages complete and linked, the line ends a
// Windows user expects, and the checked-in reference equal to what the build generates.
#include <gtest/gtest.h>

#include "support/text.h"

namespace {

// A parameter name without spaces and without the BASIC type marks $ and #.
std::string Bare(std::string s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '$' && c != '#') out += c;
  return out;
}

struct Row {
  std::string text, name, decorated;
  bool returnsValue;
  std::vector<std::string> params;  // bare names
};

std::vector<Row> Table() {
  std::vector<Row> rows;
  for (const std::string& line : Lines(ReadText(XAMO_TABLE_PATH))) {
    std::vector<std::string> f = Split(line, '%');
    Row r;
    r.text = line;
    r.name = f[0];
    r.returnsValue = r.name.back() == '[';
    if (r.returnsValue) r.name.pop_back();
    r.decorated = f[2];
    if (f.size() > 3)
      for (const std::string& p : Split(f[3], ',')) r.params.push_back(Bare(p));
    rows.push_back(r);
  }
  return rows;
}

const std::string kDist = XAMO_DIST_DIR;

// The command list is the table row for row; the keyword file has one line per command with its
// help page and parameters.
TEST(Dist, CommandListAndKeywordFileFollowTheTable) {
  std::vector<Row> rows = Table();
  ASSERT_EQ(rows.size(), 97u);
  std::vector<std::string> listed = Lines(ReadText(kDist + "/Xamovel.dll.commands")), texts;
  for (const Row& r : rows) texts.push_back(r.text);
  EXPECT_EQ(listed, texts);
  std::vector<std::string> lines = Lines(ReadText(kDist + "/Keywords/Xamovel.ini"));
  ASSERT_EQ(lines.size(), rows.size() + 1);
  EXPECT_EQ(lines[0], "[LINKS]");  // the host's own keyword files open so; no other line is a section
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string* found = nullptr;
    for (const std::string& l : lines)
      if (l.compare(0, r.name.size() + 1, r.name + "=") == 0) found = &l;
    ASSERT_NE(found, nullptr) << "no line starts with the name as the command spells it";
    std::vector<std::string> f = Split(*found, '=');
    ASSERT_EQ(f.size(), 3u) << *found;
    EXPECT_EQ(f[1], "addoncommands\\Xamovel\\" + r.name + ".htm");
    // The synopsis: "(A, B)" for a command with a result, "A, B" else, "(*no parameters*)" for none.
    std::string synopsis = f[2];
    if (r.params.empty()) {
      EXPECT_EQ(synopsis, "(*no parameters*)");
      continue;
    }
    if (r.returnsValue) {
      ASSERT_TRUE(synopsis.size() >= 2 && synopsis.front() == '(' && synopsis.back() == ')') << synopsis;
      synopsis = synopsis.substr(1, synopsis.size() - 2);
    }
    std::vector<std::string> params;
    for (const std::string& p : Split(synopsis, ',')) params.push_back(Bare(p));
    EXPECT_EQ(params, r.params);
  }
}

// The text between `open` and the next `close` after `from`, or "" when there is none.
std::string Between(const std::string& s, const std::string& open, const std::string& close, size_t from = 0) {
  size_t a = s.find(open, from);
  if (a == std::string::npos) return "";
  a += open.size();
  size_t b = s.find(close, a);
  return b == std::string::npos ? "" : s.substr(a, b - a);
}

// Every command has a page, linked from the index and named in the reference: its name and
// export, a parameter row per parameter spelled as the syntax line spells it, a description, an
// example and "See also" links; every other command it names is a link.
TEST(Dist, HelpPagesAreCompleteAndLinked) {
  const std::string index = ReadText(kDist + "/Help/addoncommands/Xamovel/index.htm");
  const std::string reference = ReadText(XAMO_REFERENCE);
  for (const Row& r : Table()) {
    SCOPED_TRACE(r.name);
    EXPECT_NE(index.find("href=\"" + r.name + ".htm\""), std::string::npos);
    EXPECT_NE(reference.find(" " + r.name + "("), std::string::npos);
    std::string page = ReadText(kDist + "/Help/addoncommands/Xamovel/" + r.name + ".htm");
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
    // Without its links, the page names no command but its own.
    std::string plain = page;
    for (size_t a; (a = plain.find("<a ")) != std::string::npos;) plain.erase(a, plain.find("</a>", a) + 4 - a);
    for (size_t at = plain.find("Xamo_"); at != std::string::npos; at = plain.find("Xamo_", at + 1))
      EXPECT_EQ(plain.compare(at, r.name.size(), r.name), 0) << plain.substr(at, 40);
  }
}

// What a Windows user opens in an editor has CRLF line ends; the command list stays as the table.
TEST(Dist, ShippedTextFilesHaveTheirLineEnds) {
  for (const std::string name : {"Keywords/Xamovel.ini", "Help/addoncommands/Xamovel/index.htm",
                                 "Help/addoncommands/Xamovel/Xamo_oacUpdate.htm", "INSTALL.txt", "LICENSE.txt",
                                 "examples/play_animation.dba", "examples/crossfade_upper_body.dba",
                                 "examples/edit_keys.dba", "Xamovel.dll.commands"}) {
    const bool crlf = name != "Xamovel.dll.commands";
    const std::string text = ReadText(kDist + "/" + name);
    size_t lf = 0, crlfs = 0;
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') {
        ++lf;
        crlfs += i > 0 && text[i - 1] == '\r';
      }
    EXPECT_GT(lf, 0u) << name;
    EXPECT_EQ(crlfs, crlf ? lf : 0) << name;
  }
}

TEST(Dist, CheckedInReferenceIsUpToDate) {
  std::vector<std::string> checkedIn = Split(ReadText(XAMO_SOURCE_DIR "/docs/commands.md"), '\n');
  std::vector<std::string> generated = Split(ReadText(XAMO_REFERENCE), '\n');
  ASSERT_GT(generated.size(), 1u);
  size_t i = 0;
  while (i < checkedIn.size() && i < generated.size() && checkedIn[i] == generated[i]) ++i;
  EXPECT_TRUE(i == checkedIn.size() && i == generated.size())
      << "docs/commands.md differs from the generated " << XAMO_REFERENCE << " (copy it over) at line " << i + 1
      << ":\n  checked in: " << (i < checkedIn.size() ? checkedIn[i] : "(end)")
      << "\n  generated:  " << (i < generated.size() ? generated[i] : "(end)");
}

}  // namespace
