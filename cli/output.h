// How vela-cli writes its results: tab separated rows by default, or with
// --format json one JSON document on standard output holding the same fields
// (values as the texts the instrument and the files use, never reformatted).
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CParBase;
struct CompareRows;
struct CPortRecord;
struct ParameterDescription;

// Builds a JSON text; the caller keeps the nesting right.
class CJsonWriter {
public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(std::string_view name);
  void String(std::string_view text);
  void Number(long long value);
  const std::string &Text() const { return m_text; }

private:
  void Separate();
  std::string m_text;
  // One entry per open object or array: true until its first member.
  std::vector<bool> m_first;
  bool m_afterKey = false;
};

void PrintPorts(const std::vector<CPortRecord> &ports, bool json);
// Block.item, block, name and value of each (block, item) of the model.
void PrintParameters(const CParBase &model, const std::vector<std::pair<int, int>> &items, bool json);
// The differing rows and the summary; firstName and secondName label the two
// values in JSON ("file" and "device" for compare).
void PrintCompare(const CompareRows &result, bool json, const char *firstName = "file",
                  const char *secondName = "device");
void PrintDescriptions(const std::vector<ParameterDescription> &list, bool json);
