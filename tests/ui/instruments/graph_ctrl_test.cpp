// The trend graph panel on Qt's offscreen platform: fed by a scripted value
// source, then by the live value poller against the instrument simulator.
#include "ui/instruments/graph_ctrl.h"

#include "../modal_driver.h"
#include "ui/instruments/graph.h"
#include "core/instruments/live_value_source.h"
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>

namespace {

// One value per tick; with none left, or with the error flag set, it reports
// a failed cycle, so the panel charts nothing until the test gives more.
class ScriptedSource : public CLiveValueSource {
public:
  void Give(std::initializer_list<double> values) { m_values.insert(m_values.end(), values); }
  bool error = false;
  mutable int errorChecks = 0;
  mutable int lastChannel = -1;

  double GetLiveValue(int channel) const override {
    lastChannel = channel;
    const double v = m_values.front();
    m_values.pop_front();
    return v;
  }
  bool GetError() const override {
    ++errorChecks;
    return error || m_values.empty();
  }

private:
  mutable std::deque<double> m_values;
};

struct CloseObserver : CObserver {
  void Update(CObservable &) override { ++updates; }
  int updates = 0;
};

template <class Pred> bool ProcessUntil(Pred pred) {
  QElapsedTimer clock;
  clock.start();
  while (!pred()) {
    if (clock.elapsed() > 10000)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

QPushButton *Button(const CGraphCtrl &panel, int id) { return FindControl<QPushButton>(&panel, id); }

// The printed page as an image, and the boxes of what is drawn on it that
// blank rows separate, from the top down.
std::vector<QRect> InkBands(const QString &pdf, QSize *pageSize = nullptr) {
  QTemporaryDir dir;
  // Through the C library, not QProcess: ThreadSanitizer ignores what Qt calls
  // (tsan_qt.supp), a fork included, and then loses the order of the poller's
  // later locking in the same process.
  const std::string command = "pdftoppm -png -r 40 -singlefile '" + pdf.toStdString() + "' '" +
                              dir.filePath("page").toStdString() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  const QImage page = QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
  if (pageSize)
    *pageSize = page.size();
  std::vector<QRect> bands;
  QRect band;
  for (int y = 0; y < page.height(); ++y) {
    QRect row;
    for (int x = 0; x < page.width(); ++x)
      if ((page.pixel(x, y) & 0xffffff) != 0xffffff)
        row |= QRect(x, y, 1, 1);
    if (row.isValid()) {
      band |= row;
    } else if (band.isValid()) {
      bands.push_back(band);
      band = QRect();
    }
  }
  if (band.isValid())
    bands.push_back(band);
  return bands;
}

// The box around everything drawn on the page.
QRect InkBox(const QString &pdf, QSize *pageSize = nullptr) {
  QRect box;
  for (const QRect &band : InkBands(pdf, pageSize))
    box |= band;
  return box;
}

class GraphCtrlTest : public ::testing::Test {
protected:
  GraphCtrlTest() {
    m_panel.SetValueSource(&m_source);
    m_panel.SetChannel(2);
    m_panel.SetTickInterval(5);
  }

  const CGraphLogic &Chart() const { return m_panel.Graph()->Logic(); }
  const GraphView &View() const { return Chart().View(); }
  // Gives the values and waits until the panel has charted them.
  void Record(std::initializer_list<double> values) {
    const std::size_t target = Chart().Samples().Size() + values.size();
    m_source.Give(values);
    ASSERT_TRUE(ProcessUntil([&] { return Chart().Samples().Size() == target; }));
  }
  // START, STOP, Print, Save, CLOSE
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
  EXPECT_EQ(Chart().Samples().At(0).y, 12.5f);
  EXPECT_EQ(m_source.lastChannel, 2);
  EXPECT_DOUBLE_EQ(View().xHigh, 2);
  EXPECT_DOUBLE_EQ(View().yLow, 12.4999);
  EXPECT_DOUBLE_EQ(View().yHigh, 12.5001);
  Record({12.5, 12.5, 12.5});
  EXPECT_DOUBLE_EQ(View().xHigh, 5);
  EXPECT_DOUBLE_EQ(View().yLow, 12.4999) << "a constant input keeps the first margins";
  EXPECT_DOUBLE_EQ(View().yHigh, 12.5001);

  // STOP then START begins a new recording.
  Click(1040);
  Click(1039);
  EXPECT_EQ(Chart().Samples().Size(), 0u);
  EXPECT_EQ(View(), (GraphView{0, 1, -0.001, 0.001}));
  Record({4, 4, 20});
  EXPECT_NEAR(View().yLow, 3.9999, 1e-9);
  EXPECT_NEAR(View().yHigh, 20.00001, 1e-9) << "the margin comes from the span before the new maximum";
  Record({20});
  EXPECT_NEAR(View().yLow, 3.2, 0.001);
  EXPECT_NEAR(View().yHigh, 20.84, 0.001);
}

TEST_F(GraphCtrlTest, NoSampleWhileThePollerReportsAnError) {
  Click(1039);
  m_source.error = true;
  m_source.Give({7});
  const int checks = m_source.errorChecks;
  ASSERT_TRUE(ProcessUntil([&] { return m_source.errorChecks >= checks + 5; }));
  EXPECT_EQ(Chart().Samples().Size(), 0u);
  m_source.error = false;
  ASSERT_TRUE(ProcessUntil([&] { return Chart().Samples().Size() == 1; }));
}

TEST_F(GraphCtrlTest, ButtonsFollowTheStateAndCloseNotifies) {
  CloseObserver observer;
  m_panel.Attach(&observer);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, false, false, true}));
  Click(1039);
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, true, false, false, true}));
  Record({1});
  Click(1039); // a second START does not start over
  EXPECT_EQ(Chart().Samples().Size(), 1u);
  Click(1040);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true, true, true}));
  EXPECT_EQ(Chart().GetMode(), CGraphLogic::ReviewMode);
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
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(Button(panel, 1039), &press);
  }
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(panel.IsRecording());
}

TEST_F(GraphCtrlTest, EscapeWhileReviewingShowsTheWholeRecording) {
  QDialog window;
  CGraphCtrl panel(&window);
  panel.SetValueSource(&m_source);
  panel.SetTickInterval(5);
  window.resize(700, 400);
  panel.resize(700, 400);
  window.show();
  Button(panel, 1039)->click();
  m_source.Give({4, 4, 20, 20});
  ASSERT_TRUE(ProcessUntil([&] { return panel.Graph()->Logic().Samples().Size() == 4; }));
  Button(panel, 1040)->click();
  const GraphView whole = panel.Graph()->Logic().View();
  panel.Graph()->Picture();
  const GraphRect p = panel.Graph()->PlotRect();
  QWheelEvent wheel(QPointF(p.left + 10, p.top + 10), QPointF(), QPoint(), QPoint(0, 360), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(panel.Graph(), &wheel);
  ASSERT_NE(panel.Graph()->Logic().View(), whole);

  // From whichever of the panel's controls has the focus.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(Button(panel, 1039), &escape);
  EXPECT_EQ(panel.Graph()->Logic().View(), whole);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(GraphCtrlTest, PrintsThroughThePrintDialogToAPdfFile) {
  ScopedTestHome home;
  const QString pdf = QString::fromStdString(home.File("printed.pdf"));
  Click(1039);
  Record({1, 3, 2, 5});
  Click(1040);
  m_panel.Graph()->Picture();
  const GraphRect screenPlot = m_panel.Graph()->PlotRect();

  ModalDriver cancel({[](QWidget *modal) {
    auto *dialog = qobject_cast<QPrintDialog *>(modal);
    if (dialog)
      dialog->reject();
    return dialog != nullptr;
  }});
  Click(1042);
  EXPECT_TRUE(cancel.Done());
  EXPECT_FALSE(Chart().Dirty()) << "a cancelled print changes nothing";

  ModalDriver print({[&](QWidget *modal) {
    auto *dialog = qobject_cast<QPrintDialog *>(modal);
    auto *printers = dialog ? dialog->findChild<QComboBox *>("printers") : nullptr;
    auto *file = dialog ? dialog->findChild<QLineEdit *>("filename") : nullptr;
    if (!printers || !file)
      return false;
    printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
    file->setText(pdf);
    dialog->accept();
    return true;
  }});
  Click(1042);
  ASSERT_TRUE(print.Done());
  EXPECT_TRUE(m_host.Messages().empty());
  QSize page;
  const std::vector<QRect> bands = InkBands(pdf, &page);
  ASSERT_GE(bands.size(), 2u) << "a header and the chart";
  // Portrait paper: the chart at the full width, with the window's
  // proportions, right under the header.
  const QRect chart = bands.back();
  const QSize window = m_panel.Graph()->size();
  EXPECT_GT(chart.width(), page.width() * 0.9);
  EXPECT_NEAR(double(chart.width()) / chart.height(), double(window.width()) / window.height(), 0.1);
  EXPECT_LT(bands.front().bottom(), chart.top());
  EXPECT_LT(chart.top(), page.height() / 4);

  // The screen is drawn afresh afterwards, with its own plot and scale.
  EXPECT_TRUE(Chart().Dirty());
  EXPECT_TRUE(Chart().RecomputePending());
  m_panel.Graph()->Picture();
  EXPECT_EQ(m_panel.Graph()->PlotRect(), screenPlot);
  EXPECT_FALSE(Chart().RecomputePending());
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
  EXPECT_TRUE(InkBox(QString::fromStdString(home.File("chart.pdf"))).isValid());
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
  ASSERT_TRUE(poller.SetProtocol(&link));
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
