// The rows of a comparison between the edited set and the set read from the
// device: blocks 0 to 5, every item; the device information is not compared.
#pragma once

#include <string>
#include <vector>

class CParBase;

struct CompareRow {
  int block = 0;
  int item = 0;
  std::string blockName;
  std::string parameterName;
  std::string editedText;
  std::string deviceText;
  // The two value texts differ, character for character.
  bool differs = false;
};

struct CompareRows {
  std::vector<CompareRow> rows;
  int differing = 0;
  // Index into rows of the first differing row, -1 when all match.
  int firstDiffering = -1;
  // "All parameters matching." or "%1!d! parameter(s) not matching.".
  std::string summary;
};

// Names come from the edited model; the device model is only read.
CompareRows BuildCompareRows(const CParBase &edited, const CParBase &device);
