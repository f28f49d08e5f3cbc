// What production-line scripts rely on: --version on every program, JSON that
// a real JSON parser reads back into the same rows as the tab-separated
// output, and the port probe, all through the built programs in a shell.
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ShellResult {
  int status = -1;
  std::string out;
};

// One shell command line; standard output is returned, standard error goes
// to a file in the scratch home.
ShellResult Shell(const std::string &command) {
  ShellResult result;
  FILE *pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return result;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    result.out.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

const std::string kCli = std::string(VELA_BIN_DIR) + "/vela-cli --lang en";

// Reads one JSON document with Python's parser and writes it back as the
// tab-separated rows of the same command: the field order of each row and
// the summary line, if the document has one.
const char *const kJsonToRows = R"PY(
import json, sys
doc = json.load(sys.stdin)
kind = sys.argv[1]
def rng(p):
    parts = list(p.get('alsoAccepted', []))
    if 'lowest' in p:
        parts.append(p['lowest'] + '..' + p['highest'])
    parts += [c['code'] + '=' + c['text'] for c in p.get('choices', [])]
    return '|'.join(parts)
if kind == 'ports':
    rows = [[p['name'], p['display'], p['device']] for p in doc['ports']]
elif kind == 'get':
    rows = [[p['id'], p['blockName'], p['name'], p['value']] for p in doc['parameters']]
elif kind == 'describe':
    rows = [[p['id'], p['blockName'], p['name'], p['kind'], p['unit'], rng(p), p['default']]
            for p in doc['parameters']]
else:
    a, b = sys.argv[2], sys.argv[3]
    rows = [[p['id'], p['blockName'], p['name'], p[a], p[b]] for p in doc['differences']]
    assert doc['differing'] == len(rows)
    rows.append([doc['summary']])
for r in rows:
    print('\t'.join(r))
)PY";

class CliScriptingTest : public ::testing::Test {
protected:
  // The command's JSON, parsed and turned back into rows, must equal its
  // tab-separated output.
  void ExpectJsonMatchesRows(const std::string &args, const std::string &kind, const std::string &keys = "") {
    SCOPED_TRACE(args);
    WriteWholeFile(m_home.File("to_rows.py"), kJsonToRows);
    const ShellResult rows = Shell(kCli + " " + args + " 2>" + m_home.File("err.txt"));
    const ShellResult json = Shell(kCli + " " + args + " --format json 2>" + m_home.File("err.txt") +
                                   " | python3 " + m_home.File("to_rows.py") + " " + kind + " " + keys);
    EXPECT_EQ(json.status, 0) << "JSON not read back";
    EXPECT_FALSE(rows.out.empty());
    EXPECT_EQ(json.out, rows.out);
  }

  static SimOptions Options(const std::string &model = "KT5RS") {
    SimOptions options;
    options.model = model;
    options.registerPort = true;
    return options;
  }

  ScopedTestHome m_home;
};

} // namespace

TEST_F(CliScriptingTest, EveryProgramNamesTheVersionTheWindowTitleShows) {
  for (const std::string program : {"vela-cli", "kt5rs-sim", "vela"}) {
    const std::string path = std::string(VELA_BIN_DIR) + "/" + program;
    if (program == "vela" && Shell("test -x " + path).status != 0)
      continue; // built without the window
    const ShellResult result = Shell(path + " --version");
    EXPECT_EQ(result.status, 0) << program;
    EXPECT_EQ(result.out, program + " " + VELA_VERSION + "\n");
  }
}

TEST_F(CliScriptingTest, JsonOfEveryCommandReadsBackAsItsRows) {
  CParKT5RS a;
  a.SaveFile(m_home.File("a.cfg"));
  CParKT5RS b;
  b.SetValueString(1, 0, "2.5");
  b.SetValue(5, 0, 1);
  b.SaveFile(m_home.File("b.cfg"));

  SimOptions options = Options();
  // A quote and a backslash must survive the escaping.
  options.tag = "T\"A\\G 1";
  CKT5RSSimulator sim(options);
  sim.Start();
  ExpectJsonMatchesRows("describe", "describe");
  ExpectJsonMatchesRows("describe 1.0", "describe");
  ExpectJsonMatchesRows("ports", "ports");
  ExpectJsonMatchesRows("get --port " + sim.ComName(), "get");
  ExpectJsonMatchesRows("get --port " + sim.ComName() + " 0", "get");
  ExpectJsonMatchesRows("diff " + m_home.File("a.cfg") + " " + m_home.File("b.cfg"), "diff", "first second");
  ExpectJsonMatchesRows("compare --port " + sim.ComName() + " " + m_home.File("b.cfg"), "compare", "file device");
}

TEST_F(CliScriptingTest, ProbeNamesTheFreeKT5RSAndSkipsAHeldPortAndAnotherModel) {
  CKT5RSSimulator wanted(Options());
  wanted.Start();
  CKT5RSSimulator other(Options("KT7W"));
  other.Start();
  CKT5RSSimulator held(Options());
  held.Start();
  CCommInterface holder;
  holder.OpenDevice(held.DevicePath());

  const ShellResult probe = Shell(kCli + " ports --probe 2>" + m_home.File("err.txt"));
  EXPECT_EQ(probe.status, 0);
  EXPECT_NE(probe.out.find(wanted.ComName() + "\t"), std::string::npos) << probe.out;
  EXPECT_EQ(probe.out.find(other.ComName() + "\t"), std::string::npos) << probe.out;
  EXPECT_EQ(probe.out.find(held.ComName() + "\t"), std::string::npos) << probe.out;
  const std::string err = ReadWholeFile(m_home.File("err.txt"));
  EXPECT_NE(err.find(held.ComName()), std::string::npos) << err;
  EXPECT_NE(err.find("in use"), std::string::npos) << err;
  // The held port was never asked.
  EXPECT_EQ(held.Transcript().size(), 0u);
}

TEST_F(CliScriptingTest, ProbeWithoutAnInstrumentFailsAsCommunication) {
  CKT5RSSimulator other(Options("KT7W"));
  other.Start();
  const ShellResult probe = Shell(kCli + " ports --probe 2>/dev/null");
  EXPECT_EQ(probe.status, 3);
  EXPECT_EQ(probe.out, "");
}
