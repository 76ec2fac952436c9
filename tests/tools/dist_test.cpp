// dist/ and the command reference against the command table: every command in every generated
// file, the keyword file's help paths and parameters agreeing with the table's rows, and the
// checked-in reference equal to what the build generates.
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
  std::vector<std::string> shown;   // names as the table gives them, spaces trimmed
};

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

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
      for (const std::string& p : Split(f[3], ',')) {
        r.params.push_back(Bare(p));
        r.shown.push_back(Trim(p));
      }
    rows.push_back(r);
  }
  return rows;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return s;
}

const std::string kDist = XAMO_DIST_DIR;

TEST(Dist, CommandListIsTheTableRowForRow) {
  std::vector<Row> rows = Table();
  ASSERT_EQ(rows.size(), 97u);
  std::vector<std::string> listed = Lines(ReadText(kDist + "/Xamovel.dll.commands"));
  ASSERT_EQ(listed.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(listed[i], rows[i].text);
}

TEST(Dist, KeywordFileHasOneLinePerCommandWithItsHelpPageAndParameters) {
  std::vector<Row> rows = Table();
  std::vector<std::string> lines;
  for (const std::string& l : Lines(ReadText(kDist + "/Keywords/Xamovel.ini")))
    if (l[0] != '[') lines.push_back(l);
  ASSERT_EQ(lines.size(), rows.size());
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string* found = nullptr;
    for (const std::string& l : lines)
      if (l.compare(0, r.name.size() + 1, Upper(r.name) + "=") == 0) found = &l;
    ASSERT_NE(found, nullptr);
    std::vector<std::string> f = Split(*found, '=');
    ASSERT_EQ(f.size(), 3u) << *found;
    EXPECT_EQ(f[1], "addoncommands\\Xamovel\\" + r.name + ".htm");
    // The synopsis: "(A, B)" for a command with a result, "A, B" else.
    std::string synopsis = f[2];
    if (r.returnsValue) {
      ASSERT_TRUE(synopsis.size() >= 2 && synopsis.front() == '(' && synopsis.back() == ')') << synopsis;
      synopsis = synopsis.substr(1, synopsis.size() - 2);
    }
    std::vector<std::string> params;
    if (!synopsis.empty())
      for (const std::string& p : Split(synopsis, ',')) params.push_back(Bare(p));
    EXPECT_EQ(params, r.params);
    // The help page the line names exists and is that command's.
    std::string page = ReadText(kDist + "/Help/addoncommands/Xamovel/" + r.name + ".htm");
    EXPECT_NE(page.find("<h1>" + r.name + "</h1>"), std::string::npos);
    EXPECT_NE(page.find(r.decorated), std::string::npos);
    for (const std::string& p : r.shown)
      EXPECT_NE(page.find("<code>" + p + "</code>"), std::string::npos) << p;
    EXPECT_EQ(page.find("<h2>Result</h2>\n<p>None."), r.returnsValue ? std::string::npos : page.find("<h2>Result"));
  }
}

TEST(Dist, HelpIndexAndReferenceNameEveryCommand) {
  std::string index = ReadText(kDist + "/Help/addoncommands/Xamovel/index.htm");
  std::string reference = ReadText(XAMO_REFERENCE);
  for (const Row& r : Table()) {
    EXPECT_NE(index.find("href=\"" + r.name + ".htm\""), std::string::npos) << r.name;
    EXPECT_NE(reference.find(" " + r.name + "("), std::string::npos) << r.name;
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

TEST(Dist, ExamplesShipAndUseCommands) {
  for (const char* name : {"play_animation.dba", "crossfade_upper_body.dba", "edit_keys.dba"}) {
    std::string text = ReadText(kDist + "/examples/" + name);
    EXPECT_NE(text.find("Xamo_"), std::string::npos) << name;
  }
}

}  // namespace
