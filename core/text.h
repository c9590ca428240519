// The text rules shared by the grammars and the registry's names: ASCII case folding and splitting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// 'A' to 'Z' as 'a' to 'z'; every other byte as it is.
char FoldCase(char c);

// Compared with ASCII letters folded; other bytes as unsigned values.
bool EqualNoCase(std::string_view a, std::string_view b);
bool LessNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool ContainsNoCase(std::string_view text, std::string_view part);

// The parts between the separators, empty ones included: "a..b" gives "a", "", "b"; "" gives "".
std::vector<std::string> Split(std::string_view text, char separator);
