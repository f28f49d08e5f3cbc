// Shared by the simulator tests: a link to a running simulator and a whole
// upload and download written out command by command, the way the program's
// parameter model talks to the instrument.
#pragma once

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace simtest {

// Decimal text to 1/10000 the way the program stores what it reads.
inline std::int32_t Scaled(const std::string &text) {
  const double x = std::strtod(text.c_str(), nullptr);
  return static_cast<std::int32_t>(x >= 0 ? (x + 0.00001) * 10000 : (x - 0.00001) * 10000);
}

inline std::string Text(std::int32_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4lf", v / 10000.0);
  return buf;
}

template <class F> int IdOf(F &&call) {
  try {
    call();
  } catch (const CException &e) {
    return e.GetId();
  }
  return 0;
}

class Link {
public:
  explicit Link(const std::string &device) { link.OpenDevice(device); }
  explicit Link(int com) { link.Open(com); }

  std::string Tx(const std::string &command, unsigned timeoutMs = 1000) {
    std::string r;
    link.Transact(command + "\r", r, timeoutMs);
    return r;
  }
  // Group, item, then one D command; the whole reply.
  std::string At(int group, int item, const std::string &command) {
    link.SelectGroup(group);
    link.SelectItem(item);
    return Tx(command);
  }

  CCommInterface link;
};

// A whole upload: group 1, the model check, every parameter (KT5RS adds item
// 24 at the end). Fills the store the way the program reads it.
inline SimState Upload(CCommInterface &c, bool kt5rs = true) {
  SimState s;
  std::string r;
  auto tx = [&](const std::string &cmd) {
    c.Transact(cmd + "\r", r, 1000);
    return r;
  };
  c.SelectGroup(1);
  c.SelectItem(90);
  const std::string model = tx("D2").substr(1);
  EXPECT_EQ(model.substr(0, kt5rs ? 5 : 4), kt5rs ? "KT5RS" : "KT7W");
  s.inputType = std::atoi(c.ReadItem(10).c_str());
  s.filter = Scaled(c.ReadItem(18));
  c.SelectItem(31);
  double x = 0, y = 0, span = 0;
  EXPECT_EQ(std::sscanf(tx("DZ").c_str() + 2, "%lf %lf %lf", &x, &y, &span), 3) << r;
  s.fineZeroX = Scaled(std::to_string(x));
  s.fineZeroY = Scaled(std::to_string(y));
  s.fineSpan = Scaled(std::to_string(span));
  c.SelectItem(14);
  double lo = 0, hi = 0;
  EXPECT_EQ(std::sscanf(tx("D").c_str() + 1, "%lf %lf", &lo, &hi), 2) << r;
  s.input0 = Scaled(std::to_string(lo));
  s.input100 = Scaled(std::to_string(hi));
  s.linearization = std::atoi(c.ReadItem(25).c_str());
  c.SelectItem(62);
  tx("DR");
  EXPECT_EQ(std::sscanf(tx("DZ").c_str() + 1, "%d", &s.points), 1) << r;
  c.SelectItem(62);
  tx("DR");
  for (int k = 0; k <= 100; ++k) {
    s.tableX[k] = Scaled(tx("DX" + std::to_string(k)).substr(1));
    s.tableY[k] = Scaled(tx("DY" + std::to_string(k)).substr(1));
  }
  s.outputType = std::atoi(c.ReadItem(11).c_str());
  c.SelectItem(12);
  EXPECT_EQ(std::sscanf(tx("D").c_str() + 1, "%lf %lf", &lo, &hi), 2) << r;
  s.output0 = Scaled(std::to_string(lo));
  s.output100 = Scaled(std::to_string(hi));
  s.outFineZero = Scaled(c.ReadItem(19));
  c.SelectItem(20);
  s.outFineSpan = Scaled(tx("DS").substr(2));
  c.SelectItem(90);
  s.model = tx("D0").substr(1);
  c.SelectItem(90);
  s.firmware = tx("D2").substr(1);
  c.SelectItem(90);
  s.serial = tx("D3").substr(1);
  c.SelectItem(90);
  s.tag = tx("D6").substr(1);
  if (s.tag == " ")
    s.tag.clear();
  if (kt5rs)
    s.burnout = std::atoi(c.ReadItem(24).c_str());
  return s;
}

// The commands of that upload, as the instrument sees them.
inline std::vector<std::string> UploadCommands(bool kt5rs = true) {
  std::vector<std::string> v = {"G01", "I90", "D2",  "I10", "D",   "I18", "D",  "I31", "DZ",
                                "I14", "D",   "I25", "D",   "I62", "DR",  "DZ", "I62", "DR"};
  for (int k = 0; k <= 100; ++k) {
    v.push_back("DX" + std::to_string(k));
    v.push_back("DY" + std::to_string(k));
  }
  for (const char *c :
       {"I11", "D", "I12", "D", "I19", "D", "I20", "DS", "I90", "D0", "I90", "D2", "I90", "D3", "I90", "D6"})
    v.push_back(c);
  if (kt5rs) {
    v.push_back("I24");
    v.push_back("D");
  }
  return v;
}

// A whole download of the store, plus model, serial and tag (block 6).
inline void Download(CCommInterface &c, const SimState &s, bool kt5rs = true) {
  std::string r;
  auto tx = [&](const std::string &cmd) { c.Transact(cmd + "\r", r, 1000); };
  c.SelectGroup(1);
  c.SelectItem(90);
  tx("D2");
  c.WriteItem(1, "1");
  c.WriteItem(10, std::to_string(s.inputType));
  c.WriteItem(1, "0");
  c.WriteItem(18, Text(s.filter));
  c.SelectItem(31);
  tx("DZZ" + Text(s.fineZeroX) + " " + Text(s.fineZeroY));
  c.SelectItem(31);
  tx("DS" + Text(s.fineSpan));
  c.SelectItem(14);
  tx("D" + Text(s.input0) + " " + Text(s.input100));
  c.WriteItem(25, std::to_string(s.linearization));
  c.SelectItem(62);
  tx("DZ" + std::to_string(s.points));
  tx("DW");
  c.SelectItem(62);
  for (int k = 0; k <= 100; ++k) {
    tx("DX" + std::to_string(k) + "D" + Text(s.tableX[k]));
    tx("DY" + std::to_string(k) + "D" + Text(s.tableY[k]));
  }
  tx("DW");
  c.WriteItem(1, "1");
  c.WriteItem(11, std::to_string(s.outputType));
  c.WriteItem(1, "0");
  c.SelectItem(12);
  tx("D" + Text(s.output0) + " " + Text(s.output100));
  c.WriteItem(19, Text(s.outFineZero));
  c.SelectItem(20);
  tx("DS" + Text(s.outFineSpan));
  if (kt5rs)
    c.WriteItem(24, std::to_string(s.burnout));
  c.SelectGroup(99);
  c.SelectItem(90);
  tx("D0" + s.model);
  c.SelectGroup(1);
  c.SelectGroup(99);
  c.SelectItem(90);
  tx("D3" + s.serial);
  c.SelectGroup(1);
  c.SelectItem(90);
  tx("D6" + (s.tag.empty() ? std::string(" ") : s.tag));
}

// A simulator on its own pty, not in the port map, with a steady input.
inline SimOptions QuietOptions() {
  SimOptions o;
  o.registerPort = false;
  o.inputPercent = 50.0;
  return o;
}

} // namespace simtest
