// What a script needs to know about each parameter before it sends a value:
// its kind, unit, the range or choices the model takes, and the default.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CParKT7W;

struct ParameterDescription {
  int block = 0;
  int item = 0;
  std::string blockName;
  std::string name;
  // "choice", "number" (four decimals), "integer", "text" or "read-only".
  std::string kind;
  std::string unit;
  // For numbers and integers: the texts of the lowest and highest value taken
  // with the other parameters as they are.
  bool hasRange = false;
  std::string lowest;
  std::string highest;
  // Taken besides the range (the filter time constant's 0).
  std::vector<std::string> alsoAccepted;
  // For choices: code and text of each.
  std::vector<std::pair<std::string, std::string>> choices;
  // The value a new set holds.
  std::string defaultValue;
};

// Every parameter of the model's blocks (block < 0: all blocks; item < 0:
// the whole block), with the ranges as the model's present values make them.
std::vector<ParameterDescription> DescribeParameters(const CParKT7W &model, int block = -1, int item = -1);
