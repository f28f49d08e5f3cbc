// The trend graph's recording as a table for a spreadsheet.
#pragma once

#include "core/instruments/graph_samples.h"

#include <string>

// "sample,seconds,value" and one line per sample: its number (the x the
// panel gave it), the seconds since START at secondsPerSample a sample, and
// the value as it was kept. Numbers always with a '.' decimal point.
std::string GraphRecordingCsv(const CGraphSamples &samples, double secondsPerSample);
