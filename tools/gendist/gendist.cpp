// gendist: writes what ships beside Xamovel.dll, and the command reference, from the command table
// and the command descriptions, so that neither can drift from the plug-in.
//
//   gendist TABLE DESC DIST_DIR REFERENCE_MD [EXAMPLES_DIR]
//
// DIST_DIR receives Xamovel.dll.commands, Keywords/Xamovel.ini, Help/addoncommands/Xamovel/*.htm
// and examples/ (copied from EXAMPLES_DIR after checking that every command they use exists).
// Exit code 1 when the descriptions do not match the table or a file cannot be written.
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "cmdtable.h"

namespace fs = std::filesystem;

static const char* kHelpFolder = "addoncommands\\Xamovel\\";

// A parameter as a BASIC program writes it: strings end in $, floats in #.
static std::string BasicParam(const std::string& name, char letter) {
  if (letter == 'S' && (name.empty() || name.back() != '$')) return name + "$";
  if (letter == 'F' && (name.empty() || name.back() != '#')) return name + "#";
  return name;
}

// "Xamo_AnimLoad(Filename$)" for a command with a result, "Xamo_AnimSave AnimID, FileName$" else.
static std::string BasicSynopsis(const TableRow& r) {
  std::string params;
  for (size_t i = 0; i < r.params.size(); ++i)
    params += (i ? ", " : "") + BasicParam(r.params[i], r.paramLetters[i]);
  if (r.returnsValue) return r.name + "(" + params + ")";
  return params.empty() ? r.name : r.name + " " + params;
}

// "dword Xamo_AnimLoad(string Filename)": result and parameter types as the host passes them.
static std::string TypedSignature(const TableRow& r) {
  std::string s = r.returnsValue ? LetterType(r.resultLetter) : "void";
  s += std::string(8 - s.size(), ' ') + r.name + "(";
  for (size_t i = 0; i < r.params.size(); ++i)
    s += (i ? ", " : "") + std::string(LetterType(r.paramLetters[i])) + " " + r.params[i];
  return s + ")";
}

static std::string Html(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else out += c;
  }
  return out;
}

// Text files a Windows user opens (keyword file, help pages, examples) get CRLF line ends.
static std::string Crlf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    if (text[i] == '\n') out += '\r';
    out += text[i];
  }
  return out;
}

static bool WriteText(const fs::path& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) {
    fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

static std::string Lowercase(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

// Keywords/Xamovel.ini in the host's form: "[LINKS]", then Name=help path=parameters, one line per
// command in table order; a command without parameters shows "(*no parameters*)".
static std::string KeywordsIni(const std::vector<TableRow>& rows) {
  std::string s = "[LINKS]\n";
  for (const TableRow& r : rows) {
    std::string synopsis = BasicSynopsis(r).substr(r.name.size());
    while (!synopsis.empty() && synopsis[0] == ' ') synopsis.erase(0, 1);
    if (r.params.empty()) synopsis = "(*no parameters*)";
    s += r.name + "=" + kHelpFolder + r.name + ".htm=" + synopsis + "\n";
  }
  return s;
}

static const char* kHtmlStyle =
    "<style>body{font-family:Verdana,Arial,sans-serif;font-size:10pt;margin:1.5em;max-width:66em}"
    "h1{font-size:14pt}h2{font-size:11pt;margin-top:1.2em}code,pre{font-family:Consolas,monospace}"
    "pre{background:#f2f2f2;padding:.5em;overflow-x:auto}td{vertical-align:top;padding:2px 10px 2px 0}"
    "table{font-size:inherit}a{color:#1a4f9c}</style>\n";

static const TableRow* FindRow(const std::vector<TableRow>& rows, const std::string& name) {
  for (const TableRow& r : rows)
    if (r.name == name) return &r;
  return nullptr;
}

// HTML of a text with every command name in it linked to its page (but `self` left plain); the
// names linked are added to *named, in order of first mention.
static std::string Linked(const std::string& text, const std::vector<TableRow>& rows, const std::string& self,
                          std::vector<std::string>* named = nullptr) {
  static const std::regex word("Xamo_[A-Za-z]+");
  std::string out;
  size_t at = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it) {
    out += Html(text.substr(at, it->position() - at));
    const std::string name = it->str();
    if (FindRow(rows, name) && name != self) {
      out += "<a href=\"" + name + ".htm\">" + name + "</a>";
      if (named && std::find(named->begin(), named->end(), name) == named->end()) named->push_back(name);
    } else {
      out += name;
    }
    at = it->position() + it->length();
  }
  return out + Html(text.substr(at));
}

static std::string HtmlHead(const std::string& title) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"us-ascii\"><title>" + Html(title) + "</title>\n" + kHtmlStyle +
         "</head><body>\n";
}

static std::string HelpPage(const TableRow& r, const CommandDesc& c, const DescFile& desc,
                            const std::vector<TableRow>& rows) {
  const CommandDesc& shown = ShownEntry(desc, c);
  // See also: the commands the entry names itself, then those of its "see" line; names that come
  // only from a common parameter meaning (the makers of a handle) are linked but not listed.
  std::vector<std::string> seeAlso, fromCommon;
  auto link = [&](const std::string& text) { return Linked(text, rows, r.name, &seeAlso); };
  auto own = [&](const std::string& param) {
    for (const ParamDesc& p : c.params)
      if (p.name == param) return true;
    return false;
  };
  std::ostringstream h;
  h << HtmlHead(r.name);
  h << "<p><a href=\"index.htm\">Xamovel</a> &gt; " << Html(c.family) << "</p>\n";
  h << "<h1>" << r.name << "</h1>\n<p>" << link(c.summary) << "</p>\n";
  h << "<h2>Syntax</h2>\n<pre>" << Html(r.returnsValue ? "Return " + std::string(LetterType(r.resultLetter)) + " = " : "")
    << Html(BasicSynopsis(r)) << "</pre>\n";
  h << "<h2>Parameters</h2>\n";
  if (r.params.empty()) {
    h << "<p>None.</p>\n";
  } else {
    h << "<table>\n";
    for (size_t i = 0; i < r.params.size(); ++i)
      h << "<tr><td><code>" << Html(BasicParam(r.params[i], r.paramLetters[i])) << "</code></td><td>"
        << LetterType(r.paramLetters[i]) << "</td><td>"
        << Linked(ParamMeaning(desc, c, r.params[i]), rows, r.name, own(r.params[i]) ? &seeAlso : &fromCommon)
        << "</td></tr>\n";
    h << "</table>\n";
  }
  h << "<h2>Result</h2>\n<p>"
    << (r.returnsValue ? std::string(LetterType(r.resultLetter)) + ": " + link(c.result) : "None.") << "</p>\n";
  h << "<h2>Description</h2>\n<p>" << link(shown.note) << "</p>\n";
  h << "<h2>Bad input</h2>\n<p>" << link(c.bad) << "</p>\n";
  h << "<h2>Example</h2>\n<pre>" << link(shown.example) << "</pre>\n";
  Linked(c.see, rows, r.name, &seeAlso);
  h << "<h2>See also</h2>\n<p>";
  for (size_t i = 0; i < seeAlso.size(); ++i)
    h << (i ? ", " : "") << "<a href=\"" << seeAlso[i] << ".htm\">" << seeAlso[i] << "</a>";
  h << (seeAlso.empty() ? "" : " &middot; ") << "<a href=\"index.htm\">All commands</a></p>\n";
  h << "<p><small>Export: <code>" << Html(r.decorated) << "</code></small></p>\n</body></html>\n";
  return h.str();
}

// index.htm: the getting-started guide, then every command by family.
static std::string HelpIndex(const std::vector<TableRow>& rows, const DescFile& desc) {
  std::ostringstream h;
  h << HtmlHead("Xamovel") << "<h1>Xamovel: skeletal animation for the host's 3D objects</h1>\n";
  for (const GuideSection& g : desc.guide) {
    h << "<h2>" << Html(g.title) << "</h2>\n";
    for (const GuideBlock& b : g.blocks)
      h << (b.code ? "<pre>" : "<p>") << Linked(b.text, rows, "") << (b.code ? "</pre>\n" : "</p>\n");
  }
  h << "<h2>Commands by family</h2>\n<ul>\n";
  for (size_t f = 0; f < desc.families.size(); ++f)
    h << "<li><a href=\"#family" << f << "\">" << Html(desc.families[f]) << "</a>: " << Linked(desc.familyAbout[f], rows, "")
      << "</li>\n";
  h << "</ul>\n";
  for (size_t f = 0; f < desc.families.size(); ++f) {
    h << "<h2 id=\"family" << f << "\">" << Html(desc.families[f]) << "</h2>\n<table>\n";
    for (const CommandDesc& c : desc.commands)
      if (c.family == desc.families[f] && FindRow(rows, c.name))
        h << "<tr><td><a href=\"" << c.name << ".htm\">" << c.name << "</a></td><td>" << Linked(c.summary, rows, c.name)
          << "</td></tr>\n";
    h << "</table>\n";
  }
  h << "</body></html>\n";
  return h.str();
}

// The command reference: a banner per family with one line per command, then each command's
// parameters, result and bad-input behaviour.
static std::string Reference(const std::vector<TableRow>& rows, const DescFile& desc) {
  std::ostringstream m;
  m << "# Xamovel command reference\n\n"
    << "<!-- Generated by tools/gendist from plugin/commands.tbl and docs/commands.desc. "
       "Edit those, then run the build. -->\n\n"
    << "Every command, by family. Types are those the host passes: `dword` (unsigned 32-bit), `integer`\n"
    << "(signed 32-bit), `float`, `double` (results only) and `string`. In a BASIC program a float\n"
    << "parameter takes a `#` value and a string a `$` value. Handles (AnimID, oacID) are dword values\n"
    << "returned by the plug-in; a handle that was never made or was deleted gives the quiet result\n"
    << "(0, 0.0 or nothing done), never a crash. Limbs are numbered from 0 (the root) to the limb count\n"
    << "minus 1.\n\nParameters that mean the same in every command:\n\n";
  for (const ParamDesc& p : desc.common) m << "- `" << p.name << "`: " << p.meaning << "\n";
  m << "\n";
  for (const std::string& family : desc.families) {
    m << "## " << family << "\n\n```\n";
    size_t width = 0;
    for (const CommandDesc& c : desc.commands)
      if (c.family == family) width = std::max(width, TypedSignature(*FindRow(rows, c.name)).size());
    for (const CommandDesc& c : desc.commands) {
      if (c.family != family) continue;
      std::string sig = TypedSignature(*FindRow(rows, c.name));
      m << sig << std::string(width - sig.size() + 2, ' ') << "// " << c.summary << "\n";
    }
    m << "```\n\n";
    for (const CommandDesc& c : desc.commands) {
      if (c.family != family) continue;
      const TableRow& r = *FindRow(rows, c.name);
      m << "- **`" << BasicSynopsis(r) << "`**";
      if (!ShownEntry(desc, c).note.empty()) m << ": " << ShownEntry(desc, c).note;
      m << "\n";
      for (size_t i = 0; i < r.params.size(); ++i) {
        bool own = false;
        for (const ParamDesc& p : c.params) own = own || p.name == r.params[i];
        if (own)
          m << "  - `" << r.params[i] << "` (" << LetterType(r.paramLetters[i]) << "): "
            << ParamMeaning(desc, c, r.params[i]) << "\n";
      }
      if (r.returnsValue) m << "  - Result (" << LetterType(r.resultLetter) << "): " << c.result << "\n";
      m << "  - Bad input: " << c.bad << "\n";
    }
    m << "\n";
  }
  return m.str();
}

// Copies the example programs after checking that every Xamo_ word in them is a command.
static bool CopyExamples(const fs::path& from, const fs::path& to, const std::vector<TableRow>& rows) {
  std::error_code ec;
  fs::create_directories(to, ec);
  bool ok = true;
  std::regex word("Xamo_[A-Za-z]+");
  for (const fs::directory_entry& e : fs::directory_iterator(from)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator it(text.begin(), text.end(), word), end; it != end; ++it) {
      bool known = false;
      for (const TableRow& r : rows) known = known || Lowercase(r.name) == Lowercase(it->str());
      if (!known) {
        fprintf(stderr, "%s uses %s, which is not a command\n", e.path().string().c_str(), it->str().c_str());
        ok = false;
      }
    }
    ok = WriteText(to / e.path().filename(), Crlf(text)) && ok;
  }
  return ok;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: gendist TABLE DESC DIST_DIR REFERENCE_MD [EXAMPLES_DIR]\n");
    return 2;
  }
  std::vector<TableRow> rows;
  DescFile desc;
  if (!ReadTable(argv[1], &rows) || !ReadDescFile(argv[2], &desc)) return 1;
  if (!CheckAgainstTable(rows, desc)) {
    fprintf(stderr, "%s does not match %s\n", argv[2], argv[1]);
    return 1;
  }
  fs::path dist = argv[3];
  bool ok = true;
  std::string commands;
  for (const TableRow& r : rows) commands += r.text + "\n";
  ok = WriteText(dist / "Xamovel.dll.commands", commands) && ok;
  ok = WriteText(dist / "Keywords" / "Xamovel.ini", Crlf(KeywordsIni(rows))) && ok;
  fs::path help = dist / "Help" / "addoncommands" / "Xamovel";
  for (const TableRow& r : rows)
    for (const CommandDesc& c : desc.commands)
      if (c.name == r.name) ok = WriteText(help / (r.name + ".htm"), Crlf(HelpPage(r, c, desc, rows))) && ok;
  ok = WriteText(help / "index.htm", Crlf(HelpIndex(rows, desc))) && ok;
  ok = WriteText(argv[4], Reference(rows, desc)) && ok;
  if (argc > 5) ok = CopyExamples(argv[5], dist / "examples", rows) && ok;
  return ok ? 0 : 1;
}
