// The trend graph panel on Qt's offscreen platform: fed by a scripted value
// source, then by the live value poller against the instrument simulator.
#include "instruments/graph_ctrl.h"

#include "../modal_driver.h"
#include "instruments/graph.h"
#include "instruments/live_value_source.h"
#include "kt5rs_simulator.h"
#include "link/comm_interface.h"
#include "pdf_page.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "workers/update_io_thread.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <deque>
#include <gtest/gtest.h>

namespace {

// Hands out its values one per tick; with none left (or with the error flag
// set) it reports a failed cycle, so the panel takes nothing until the test
// gives more.
class ScriptedSource : public CLiveValueSource {
public:
  void Give(std::initializer_list<double> values) { m_values.insert(m_values.end(), values); }
  void SetError(bool error) { m_error = error; }
  int ErrorChecks() const { return m_checks; }

  double GetLiveValue(int channel) const override {
    m_channels.push_back(channel);
    const double v = m_values.front();
    m_values.pop_front();
    return v;
  }
  bool GetError() const override {
    ++m_checks;
    return m_error || m_values.empty();
  }
  std::vector<int> Channels() const { return m_channels; }

private:
  mutable std::deque<double> m_values;
  mutable std::vector<int> m_channels;
  mutable int m_checks = 0;
  bool m_error = false;
};

class CloseObserver : public CObserver {
public:
  void Update(CObservable &) override { ++updates; }
  int updates = 0;
};

template <class Pred> bool ProcessUntil(Pred pred, int timeoutMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!pred()) {
    if (clock.elapsed() > timeoutMs)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

QPushButton *Button(const CGraphCtrl &panel, int id) { return FindControl<QPushButton>(&panel, id); }

class GraphCtrlTest : public ::testing::Test {
protected:
  GraphCtrlTest() {
    m_panel.SetValueSource(&m_source);
    m_panel.SetChannel(2);
    m_panel.SetTickInterval(5);
  }

  std::size_t Samples() const { return m_panel.Graph()->Logic().Samples().Size(); }
  const GraphView &View() const { return m_panel.Graph()->Logic().View(); }
  // Gives the values and waits until the panel has charted them.
  void Record(std::initializer_list<double> values) {
    const std::size_t target = Samples() + values.size();
    m_source.Give(values);
    ASSERT_TRUE(ProcessUntil([&] { return Samples() == target; }));
  }
  std::vector<bool> Enabled() const {
    std::vector<bool> states;
    for (int id : {1039, 1040, 1042, 1043, 1041})
      states.push_back(Button(m_panel, id)->isEnabled());
    return states;
  }
  void Click(int id) { Button(m_panel, id)->click(); }

  CScriptedUIHost m_host;
  ScriptedSource m_source;
  CGraphCtrl m_panel{nullptr};
};

} // namespace

TEST_F(GraphCtrlTest, AxesFollowTheValuesAndOnlyGrow) {
  EXPECT_EQ(View(), (GraphView{0, 1, -0.1, 0.1}));
  Click(1039);
  EXPECT_EQ(View(), (GraphView{0, 1, -0.001, 0.001}));
  Record({12.5});
  EXPECT_EQ(m_panel.Graph()->Logic().Samples().At(0).y, 12.5f);
  EXPECT_DOUBLE_EQ(View().xHigh, 2);
  EXPECT_DOUBLE_EQ(View().yLow, 12.4999);
  EXPECT_DOUBLE_EQ(View().yHigh, 12.5001);
  Record({12.5, 12.5, 12.5});
  EXPECT_DOUBLE_EQ(View().xHigh, 5);
  EXPECT_DOUBLE_EQ(View().yLow, 12.4999) << "a constant input keeps the first margins";
  EXPECT_DOUBLE_EQ(View().yHigh, 12.5001);
  EXPECT_EQ(m_source.Channels(), std::vector<int>(4, 2));

  // STOP then START begins a new recording.
  Click(1040);
  Click(1039);
  EXPECT_EQ(Samples(), 0u);
  EXPECT_EQ(View(), (GraphView{0, 1, -0.001, 0.001}));
  Record({4, 4, 20});
  EXPECT_NEAR(View().yLow, 3.9999, 1e-9);
  EXPECT_NEAR(View().yHigh, 20.00001, 1e-9) << "the margin comes from the span before the new maximum";
  Record({20});
  EXPECT_NEAR(View().yLow, 3.2, 0.001);
  EXPECT_NEAR(View().yHigh, 20.84, 0.001);
  EXPECT_DOUBLE_EQ(View().xHigh, 5);
}

TEST_F(GraphCtrlTest, NoSampleWhileThePollerReportsAnError) {
  Click(1039);
  m_source.SetError(true);
  m_source.Give({7});
  const int checks = m_source.ErrorChecks();
  ASSERT_TRUE(ProcessUntil([&] { return m_source.ErrorChecks() >= checks + 5; }));
  EXPECT_EQ(Samples(), 0u);
  EXPECT_TRUE(m_panel.IsRecording());
  m_source.SetError(false);
  ASSERT_TRUE(ProcessUntil([&] { return Samples() == 1; }));
}

TEST_F(GraphCtrlTest, ButtonsFollowTheStateAndCloseNotifies) {
  CloseObserver observer;
  m_panel.Attach(&observer);
  // START, STOP, Print, Save, CLOSE
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, true}));
  Click(1039);
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, false, false, true}));
  EXPECT_EQ(m_panel.Graph()->GetMode(), CGraph::RecordingMode);
  Record({1});
  Click(1039); // a second START does not start over
  EXPECT_EQ(Samples(), 1u);
  Click(1040);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, true, true}));
  EXPECT_EQ(m_panel.Graph()->GetMode(), CGraph::ReviewMode);
  EXPECT_FALSE(m_panel.IsRecording());
  EXPECT_EQ(observer.updates, 0);
  Click(1039);
  Click(1041);
  EXPECT_FALSE(m_panel.IsRecording());
  EXPECT_EQ(observer.updates, 1);
}

TEST_F(GraphCtrlTest, EnterAndEscapeDoNotEndTheMainWindow) {
  QDialog window;
  CGraphCtrl panel(&window);
  window.show();
  Button(panel, 1039)->setFocus();
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(Button(panel, 1039), &press);
  }
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.result(), 0);
  EXPECT_FALSE(panel.IsRecording());
}

TEST_F(GraphCtrlTest, PrintsThroughThePrintDialogToAPdfFile) {
  ScopedTestHome home;
  const QString pdf = QString::fromStdString(home.File("printed.pdf"));
  Click(1039);
  Record({1, 3, 2, 5});
  Click(1040);

  {
    ModalDriver cancel({[](QWidget *modal) {
      auto *dialog = qobject_cast<QPrintDialog *>(modal);
      if (dialog)
        dialog->reject();
      return dialog != nullptr;
    }});
    Click(1042);
    EXPECT_TRUE(cancel.Done());
  }
  ModalDriver print({[&](QWidget *modal) {
    auto *dialog = qobject_cast<QPrintDialog *>(modal);
    if (!dialog)
      return false;
    // A machine without printers: the dialog offers only the PDF file.
    auto *printers = dialog->findChild<QComboBox *>("printers");
    auto *file = dialog->findChild<QLineEdit *>("filename");
    if (!printers || !file)
      return false;
    printers->setCurrentIndex(printers->count() - 1);
    file->setText(pdf);
    dialog->accept();
    return true;
  }});
  Click(1042);
  ASSERT_TRUE(print.Done());
  EXPECT_TRUE(m_host.Messages().empty());
  const QImage page = RenderPdfPage(pdf);
  ASSERT_FALSE(page.isNull());
  const QRect ink = InkBox(page);
  ASSERT_TRUE(ink.isValid());
  const QSize window = m_panel.Graph()->size();
  EXPECT_NEAR(double(ink.width()) / ink.height(), double(window.width()) / window.height(), 0.1);
}

TEST_F(GraphCtrlTest, SavesThePictureAndTheRecording) {
  ScopedTestHome home;
  Click(1039);
  Record({12.5, 13.25, -1});
  Click(1040);
  auto saveAs = [&](const std::string &name, int filter = 0) {
    ModalDriver driver({[&](QWidget *modal) {
      auto *dialog = qobject_cast<QFileDialog *>(modal);
      if (!dialog)
        return false;
      dialog->selectNameFilter(dialog->nameFilters().value(filter));
      dialog->selectFile(QString::fromStdString(name));
      static_cast<QDialog *>(dialog)->accept();
      return true;
    }});
    Click(1043);
    EXPECT_TRUE(driver.Done()) << name;
  };

  saveAs(home.File("chart.png"));
  const QImage png(QString::fromStdString(home.File("chart.png")));
  EXPECT_EQ(png.size(), m_panel.Graph()->size());
  EXPECT_EQ(png.pixelColor(png.width() - 2, 1), QColor(0, 0, 0));

  saveAs(home.File("recording"), 2); // no extension: the chosen type gives it
  EXPECT_EQ(ReadWholeFile(home.File("recording.csv")), "sample,seconds,value\n1,0.5,12.5\n2,1.0,13.25\n3,1.5,-1\n");

  saveAs(home.File("chart.pdf"));
  EXPECT_TRUE(InkBox(RenderPdfPage(QString::fromStdString(home.File("chart.pdf")))).isValid());
  EXPECT_TRUE(m_host.Messages().empty());

  saveAs(home.File("missing/chart.csv"));
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].text, "Can not save the file " + home.File("missing/chart.csv") + ".");
}

TEST(GraphCtrlSim, RecordsThePollersLiveValue) {
  CScriptedUIHost host;
  SimOptions options;
  options.registerPort = false;
  options.inputPercent = 20.0;
  CKT5RSSimulator sim(options);
  sim.Start();
  CCommInterface link;
  link.OpenDevice(sim.DevicePath());
  CUpdateIOThread poller;
  poller.Start();
  ASSERT_TRUE(poller.Lock());
  ASSERT_TRUE(poller.SetProtocol(&link));
  poller.Unlock();
  ASSERT_TRUE(ProcessUntil([&] { return poller.CycleCount() >= 2 && !poller.GetError(); }));

  CGraphCtrl panel(nullptr);
  panel.SetPoller(&poller);
  panel.SetChannel(1); // input %
  panel.SetTickInterval(20);
  Button(panel, 1039)->click();
  const CGraphSamples &samples = panel.Graph()->Logic().Samples();
  ASSERT_TRUE(ProcessUntil([&] { return samples.Size() >= 3; }));
  Button(panel, 1040)->click();
  for (std::size_t i = 0; i < samples.Size(); ++i)
    EXPECT_NEAR(samples.At(i).y, 20.0, 0.01) << i;
  poller.Stop();
}
