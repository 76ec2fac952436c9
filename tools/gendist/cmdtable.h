// The command table (plugin/commands.tbl) and the command descriptions (docs/commands.desc), read
// into plain records. Shared by gendist, which writes dist/ and docs/commands.md from them.
#pragma once
#include <string>
#include <vector>

// One row of the command table: "Name[%letters%decorated%Param, Param".
struct TableRow {
  std::string text;                 // the row as it stands
  std::string name;                 // Xamo_...
  bool returnsValue = false;        // the row has '['
  char resultLetter = 0;            // D, L or O when returnsValue
  std::string paramLetters;         // one letter per parameter
  std::string decorated;            // ?Name@@YA...
  std::vector<std::string> params;  // parameter names, trimmed
};

struct ParamDesc {
  std::string name;
  std::string meaning;
};

// One command's description.
struct CommandDesc {
  std::string name;
  std::string family;
  std::string summary;                // one line: what it does
  std::string result;                 // what it returns (empty for a command without result)
  std::string bad;                    // what it gives for a bad limb, key, handle or file
  std::string note;                   // optional: more on what it does
  std::vector<ParamDesc> params;      // meanings given in its own entry
  std::string example;                // a short BASIC program, lines cut by '\n'
  std::string share;                  // another command whose note and example this one shows
  std::string see;                    // more commands for its "See also" line
  int line = 0;                       // where the entry starts in the description file
};

// A section of the help index's guide: paragraphs and code blocks in order.
struct GuideBlock {
  bool code = false;
  std::string text;  // a paragraph, or code lines cut by '\n'
};
struct GuideSection {
  std::string title;
  std::vector<GuideBlock> blocks;
};

struct DescFile {
  std::vector<std::string> families;       // in file order
  std::vector<std::string> familyAbout;    // one line per family: what its commands are for
  std::vector<GuideSection> guide;         // the help index's getting-started text
  std::vector<ParamDesc> common;           // meanings used when an entry gives none
  std::vector<CommandDesc> commands;       // in file order
};

// Reads the table; false with a message on stderr when a row cannot be read.
bool ReadTable(const char* path, std::vector<TableRow>* rows);
// Reads the descriptions; false with a message on stderr on a syntax error.
bool ReadDescFile(const char* path, DescFile* desc);
// Every row has exactly one description with a family, summary and bad-input text, whose
// parameters are the row's (meanings from the entry or the common list) and which has a result
// text exactly when the row returns a value. Reports every problem on stderr.
bool CheckAgainstTable(const std::vector<TableRow>& rows, const DescFile& desc);

// The entry that gives `cmd` its note and example: its own, or the one it shares them with.
const CommandDesc& ShownEntry(const DescFile& desc, const CommandDesc& cmd);
// The meaning of parameter `name` for command `cmd` (its own, else the common one, else "").
std::string ParamMeaning(const DescFile& desc, const CommandDesc& cmd, const std::string& name);
// BASIC type of a table letter: D dword, L integer, F float, O double, S string.
const char* LetterType(char letter);
