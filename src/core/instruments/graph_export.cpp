#include "core/instruments/graph_export.h"

#include <charconv>
#include <cmath>

std::string GraphRecordingCsv(const CGraphSamples &samples, double secondsPerSample) {
  std::string csv = "sample,seconds,value\n";
  csv.reserve(csv.size() + samples.Size() * 24);
  char line[96];
  samples.Walk(0, [&](const GraphSample &s) {
    char *p = line;
    char *end = line + sizeof line;
    p = std::to_chars(p, end, static_cast<long long>(std::llround(s.x))).ptr;
    *p++ = ',';
    p = std::to_chars(p, end, double(s.x) * secondsPerSample, std::chars_format::fixed, 1).ptr;
    *p++ = ',';
    p = std::to_chars(p, end, s.y).ptr; // the shortest text that reads back as the same float
    *p++ = '\n';
    csv.append(line, p);
    return true;
  });
  return csv;
}
