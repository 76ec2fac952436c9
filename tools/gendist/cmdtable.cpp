#include "cmdtable.h"

#include <stdio.h>
#include <ctype.h>
#include <string.h>

#include <fstream>
#include <set>

static std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

static std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    out.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

bool ReadTable(const char* path, std::vector<TableRow>* rows) {
  std::ifstream in(path);
  if (!in) {
    fprintf(stderr, "cannot read the command table %s\n", path);
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> f = Split(line, '%');
    if (f.size() < 3 || f.size() > 4) {
      fprintf(stderr, "%s:%d: a row has 3 or 4 fields cut by %%\n", path, number);
      return false;
    }
    TableRow r;
    r.text = line;
    r.name = f[0];
    if (!r.name.empty() && r.name.back() == '[') {
      r.returnsValue = true;
      r.name.pop_back();
    }
    std::string letters = f[1];
    if (r.returnsValue) {
      if (letters.empty()) {
        fprintf(stderr, "%s:%d: a row with a result needs its type letter\n", path, number);
        return false;
      }
      r.resultLetter = letters[0];
      letters.erase(0, 1);
    }
    r.paramLetters = letters;
    r.decorated = f[2];
    if (f.size() == 4)
      for (const std::string& p : Split(f[3], ',')) r.params.push_back(Trim(p));
    if (r.params.size() != r.paramLetters.size()) {
      fprintf(stderr, "%s:%d: %zu type letters for %zu parameter names\n", path, number,
              r.paramLetters.size(), r.params.size());
      return false;
    }
    rows->push_back(r);
  }
  return true;
}

// An indented line "key: text". False when the line has no ':' after a key.
static bool SplitField(const std::string& line, std::string* key, std::string* text) {
  size_t colon = line.find(':');
  if (colon == std::string::npos) return false;
  *key = Trim(line.substr(0, colon));
  *text = Trim(line.substr(colon + 1));
  return !key->empty();
}

bool ReadDescFile(const char* path, DescFile* desc) {
  std::ifstream in(path);
  if (!in) {
    fprintf(stderr, "cannot read the command descriptions %s\n", path);
    return false;
  }
  std::string line, family;
  std::string* last = nullptr;  // the text that a continuation line extends
  GuideSection* section = nullptr;  // the guide section being read, if any
  int number = 0;
  bool ok = true;
  auto fail = [&](const char* what) {
    fprintf(stderr, "%s:%d: %s\n", path, number, what);
    ok = false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    if (line.compare(0, 4, "  > ") == 0 || line == "  >") {  // a line of code
      std::string code = line.size() > 4 ? line.substr(4) : "";
      if (section) {
        if (section->blocks.empty() || !section->blocks.back().code) section->blocks.push_back({true, ""});
        std::string& text = section->blocks.back().text;
        text += (text.empty() ? "" : "\n") + code;
      } else if (!desc->commands.empty()) {
        std::string& text = desc->commands.back().example;
        text += (text.empty() ? "" : "\n") + code;
      } else {
        fail("a line of code outside a command entry or guide section");
      }
      last = nullptr;
      continue;
    }
    if (line.compare(0, 4, "    ") == 0) {  // continuation of the previous field
      if (!last) {
        fail("a continuation line without a field before it");
        continue;
      }
      *last += " " + t;
      continue;
    }
    if ((line[0] == ' ' || line[0] == '\t') && section) {  // a paragraph of the guide
      std::string key, text;
      if (!SplitField(line, &key, &text) || key != "text") {
        fail("expected \"  text: paragraph\" or \"  > code\" inside a guide section");
        last = nullptr;
        continue;
      }
      section->blocks.push_back({false, text});
      last = &section->blocks.back().text;
      continue;
    }
    if (line[0] == ' ' || line[0] == '\t') {  // a field of the current command
      std::string key, text;
      if (desc->commands.empty() || !SplitField(line, &key, &text)) {
        fail("expected \"  key: text\" inside a command entry");
        last = nullptr;
        continue;
      }
      CommandDesc& c = desc->commands.back();
      std::string* field = key == "summary" ? &c.summary
                           : key == "result" ? &c.result
                           : key == "bad"    ? &c.bad
                           : key == "note"   ? &c.note
                           : key == "share"  ? &c.share
                           : key == "see"    ? &c.see
                                             : nullptr;
      if (field) {
        if (!field->empty()) fail("a field given twice");
        *field = text;
        last = field;
      } else {
        c.params.push_back({key, text});
        last = &c.params.back().meaning;
      }
      continue;
    }
    last = nullptr;
    section = nullptr;
    if (t.compare(0, 6, "guide ") == 0) {
      desc->guide.push_back({Trim(t.substr(6)), {}});
      section = &desc->guide.back();
    } else if (t.compare(0, 7, "family ") == 0) {
      size_t dash = t.find(" -- ");
      family = Trim(t.substr(7, dash == std::string::npos ? std::string::npos : dash - 7));
      desc->families.push_back(family);
      desc->familyAbout.push_back(dash == std::string::npos ? "" : Trim(t.substr(dash + 4)));
    } else if (t.compare(0, 7, "common ") == 0) {
      std::string key, text;
      if (!SplitField(t.substr(7), &key, &text)) {
        fail("expected \"common Name: meaning\"");
        continue;
      }
      desc->common.push_back({key, text});
      last = &desc->common.back().meaning;
    } else if (t.compare(0, 5, "Xamo_") == 0) {
      if (family.empty()) fail("a command before the first family line");
      CommandDesc c;
      c.name = t;
      c.family = family;
      c.line = number;
      desc->commands.push_back(c);
    } else {
      fail("expected a family, common or command line");
    }
  }
  return ok;
}

const CommandDesc& ShownEntry(const DescFile& desc, const CommandDesc& cmd) {
  for (const CommandDesc& c : desc.commands)
    if (!cmd.share.empty() && c.name == cmd.share) return c;
  return cmd;
}

std::string ParamMeaning(const DescFile& desc, const CommandDesc& cmd, const std::string& name) {
  for (const ParamDesc& p : cmd.params)
    if (p.name == name) return p.meaning;
  for (const ParamDesc& p : desc.common)
    if (p.name == name) return p.meaning;
  return "";
}

bool CheckAgainstTable(const std::vector<TableRow>& rows, const DescFile& desc) {
  bool ok = true;
  std::set<std::string> inTable;
  for (const TableRow& r : rows) inTable.insert(r.name);
  std::set<std::string> seen;
  for (const CommandDesc& c : desc.commands) {
    if (!seen.insert(c.name).second) {
      fprintf(stderr, "line %d: %s is described twice\n", c.line, c.name.c_str());
      ok = false;
    }
    if (!inTable.count(c.name)) {
      fprintf(stderr, "line %d: %s is not in the command table\n", c.line, c.name.c_str());
      ok = false;
    }
  }
  for (const TableRow& r : rows) {
    const CommandDesc* c = nullptr;
    for (const CommandDesc& d : desc.commands)
      if (d.name == r.name) c = &d;
    if (!c) {
      fprintf(stderr, "%s has no description\n", r.name.c_str());
      ok = false;
      continue;
    }
    auto complain = [&](const char* what) {
      fprintf(stderr, "line %d: %s: %s\n", c->line, c->name.c_str(), what);
      ok = false;
    };
    if (c->summary.empty()) complain("no summary");
    const CommandDesc& shown = ShownEntry(desc, *c);
    for (const std::string* text : {&c->summary, &c->note, &c->result, &c->bad, &c->example, &c->see})
      for (size_t at = text->find("Xamo_"); at != std::string::npos; at = text->find("Xamo_", at + 1)) {
        size_t end = at + 5;
        while (end < text->size() && isalpha(static_cast<unsigned char>((*text)[end]))) ++end;
        if (!inTable.count(text->substr(at, end - at)))
          complain(("names " + text->substr(at, end - at) + ", which is not a command").c_str());
      }
    if (!c->share.empty() && &shown == c) complain("shares the text of a command that is not described");
    if (shown.note.empty()) complain("no note");
    if (shown.example.empty()) complain("no example");
    if (c->bad.empty()) complain("no bad-input text");
    if (r.returnsValue && c->result.empty()) complain("returns a value but has no result text");
    if (!r.returnsValue && !c->result.empty()) complain("has a result text but returns nothing");
    for (const ParamDesc& p : c->params) {
      bool found = false;
      for (const std::string& name : r.params) found = found || name == p.name;
      if (!found) complain(("describes a parameter \"" + p.name + "\" that the row lacks").c_str());
    }
    for (const std::string& name : r.params)
      if (ParamMeaning(desc, *c, name).empty())
        complain(("no meaning for parameter \"" + name + "\"").c_str());
  }
  return ok;
}

const char* LetterType(char letter) {
  switch (letter) {
    case 'D': return "dword";
    case 'L': return "integer";
    case 'F': return "float";
    case 'O': return "double";
    case 'S': return "string";
  }
  return "?";
}
