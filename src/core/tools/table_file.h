// A user linearization table as kept in a table file: "{", one "x, y" line
// per point, "}". Lines outside the braces, blank lines and lines that begin
// with "/" are comments.
#pragma once

#include "core/resources/exception.h"

#include <cstddef>
#include <string>
#include <vector>

class CTableFileException : public CException {
public:
  using CException::CException;
};

class CTableFile {
public:
  // The instrument's table has no more points than this.
  static constexpr std::size_t kMaxPoints = 101;

  CTableFile() = default;
  CTableFile(const CTableFile &) = default;
  CTableFile &operator=(const CTableFile &) = default;
  virtual ~CTableFile() = default;

  // Replaces the table by the file's points. Throws CTableFileException 30000
  // (cannot open), 30002 (no closing brace, or no point) or 30003 (more
  // than kMaxPoints); the table is then empty.
  void Read(const std::string &path);
  // Writes the table over path; a failure (30000 cannot create, 30001 cannot
  // write) leaves any previous file as it was.
  void Write(const std::string &path) const;
  void Clear();

  std::size_t Size() const { return X.size(); }
  void Add(double x, double y);

  // Point i is (X[i], Y[i]), in file order; both always have the same length.
  std::vector<double> X;
  std::vector<double> Y;
};
