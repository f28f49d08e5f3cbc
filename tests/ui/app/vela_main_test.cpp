// The program itself, started as a process: its command line and the
// simulated instrument it offers with --simulate.
#include "test_env.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

const QString kVela = QStringLiteral(VELA_BIN_DIR "/vela");

QProcessEnvironment Env(const ScopedTestHome &home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.Path() + "/config"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("LANG", "C");
  env.remove("LC_ALL");
  env.remove("LC_MESSAGES");
  return env;
}

TEST(VelaProgram, HelpAndVersionNeedNoDisplay) {
  ScopedTestHome home;
  QProcess p;
  QProcessEnvironment env = Env(home);
  env.remove("QT_QPA_PLATFORM");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  p.setProcessEnvironment(env);
  p.start(kVela, {"--help"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardOutput().contains("--simulate"));
  p.start(kVela, {"--version"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray("vela " VELA_VERSION));
}

TEST(VelaProgram, UnknownArgumentsAreRefused) {
  ScopedTestHome home;
  QProcess p;
  p.setProcessEnvironment(Env(home));
  p.start(kVela, {"--no-such-option"});
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().contains("no-such-option"));
}

TEST(VelaProgram, SimulateOffersAComPortForTheLifeOfTheProgram) {
  ScopedTestHome home;
  QProcess p;
  p.setProcessEnvironment(Env(home));
  p.start(kVela, {"--simulate"});
  ASSERT_TRUE(p.waitForStarted(10000));
  QByteArray err;
  QRegularExpression announced(QStringLiteral("simulated KT5RS on (COM\\d+) \\((/dev/[^)]+)\\)"));
  QRegularExpressionMatch m;
  for (int i = 0; i < 100 && !m.hasMatch(); ++i) {
    p.waitForReadyRead(100);
    err += p.readAllStandardError();
    m = announced.match(QString::fromUtf8(err));
  }
  ASSERT_TRUE(m.hasMatch()) << err.toStdString();
  const QString ports = QString::fromStdString(home.Path() + "/config/VANTORIX/ports");
  const QString entry = ports + "/" + m.captured(1);
  EXPECT_EQ(QFileInfo(entry).symLinkTarget(), m.captured(2));
  // While it runs, its port dialog offers the simulated instrument first ...
  const std::string confFile = home.Path() + "/config/VANTORIX/vela.conf";
  const std::string simPort = "COMPort=" + m.captured(1).toStdString();
  bool offered = false;
  for (int i = 0; i < 100 && !offered; ++i) {
    offered = ReadWholeFile(confFile).find(simPort) != std::string::npos;
    if (!offered)
      p.waitForReadyRead(100);
  }
  EXPECT_TRUE(offered);

  // A termination request still ends through the normal way out.
  ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_FALSE(QFileInfo(entry).isSymLink()) << "the COM entry stayed behind";
  // The run stored its language choice in the test's own folder.
  const std::string conf = ReadWholeFile(confFile);
  EXPECT_NE(conf.find("[Lang]"), std::string::npos) << conf;
  // ... and afterwards the technician's own port (here the default) is back.
  EXPECT_NE(conf.find("COMPort=COM1"), std::string::npos) << conf;
}

TEST(VelaProgram, SimulatedInstrumentTakesControlLinesFromThePipeTheEnvironmentNames) {
  ScopedTestHome home;
  const std::string pipe = home.Path() + "/sim.in";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  QProcess p;
  QProcessEnvironment env = Env(home);
  env.insert("VELA_SIM_CONTROL", QString::fromStdString(pipe));
  p.setProcessEnvironment(env);
  p.start(kVela, {"--simulate"});
  ASSERT_TRUE(p.waitForStarted(10000));
  QByteArray err;
  auto waitFor = [&](const QByteArray &text) {
    for (int i = 0; i < 100 && !err.contains(text); ++i) {
      p.waitForReadyRead(100);
      err += p.readAllStandardError();
    }
    return err.contains(text);
  };
  ASSERT_TRUE(waitFor("simulated KT5RS on")) << err.toStdString();
  {
    std::ofstream control(pipe);
    control << "fault garbage 0 1\ninput many\nquit\n" << std::flush;
  }
  EXPECT_TRUE(waitFor("vela: simulator: fault garbage 0 1: ok")) << err.toStdString();
  EXPECT_TRUE(waitFor("vela: simulator: input many: error: input PERCENT")) << err.toStdString();
  EXPECT_TRUE(waitFor("vela: simulator: quit: ignored")) << err.toStdString();
  ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
  ASSERT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0);
}

} // namespace
