// Text files for tests: whole, as non-empty lines, and split at a separator.
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every piece between separators, empty ones included: "a,,b," gives a, "", b, "".
inline std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep) out.emplace_back();
    else out.back() += c;
  }
  return out;
}

// The non-empty lines, without a carriage return at the end.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::string line : Split(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}
