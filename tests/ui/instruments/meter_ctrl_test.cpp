// A function-block panel as real widgets: the selector reports and leaves
// its state to the owner; the value text is shown as given and drives the bar.
#include "ui/instruments/meter.h"
#include "ui/instruments/meter_ctrl.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class Recorder : public CObserver {
public:
  void Update(CObservable &source) override {
    indices.push_back(dynamic_cast<CMeterCtrl &>(source).GetIndex());
  }
  std::vector<int> indices;
};

TEST(MeterCtrl, SelectorClickNotifiesButDoesNotToggle) {
  CMeterCtrl panel;
  panel.SetIndex(3);
  Recorder recorder;
  panel.Attach(&recorder);
  auto *selector = panel.findChild<QPushButton *>("1027");
  ASSERT_NE(selector, nullptr);

  selector->click();
  EXPECT_EQ(recorder.indices, std::vector<int>{3});
  EXPECT_FALSE(selector->isChecked());

  panel.SetSelected(true);
  selector->click();
  EXPECT_TRUE(selector->isChecked());
  EXPECT_EQ(recorder.indices.size(), 2u);

  panel.EnablePanel(false);
  selector->click();
  EXPECT_EQ(recorder.indices.size(), 2u);
}

TEST(MeterCtrl, ANumberIsShownAsGivenAndDrawnAsABar) {
  CMeterCtrl panel;
  panel.SetRange(100, 0);
  auto *box = panel.findChild<QLineEdit *>("1025");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isReadOnly());

  panel.SetValueText(" 50.0000");
  EXPECT_EQ(box->text(), " 50.0000");
  EXPECT_EQ(panel.Value(), 50);
  EXPECT_EQ(panel.Alarm(), MeterAlarm::None);
  EXPECT_TRUE(panel.toolTip().isEmpty());

  CMeter *meter = panel.Meter();
  ASSERT_TRUE(meter->IsDirty());
  const QImage image = meter->grab().toImage();
  EXPECT_FALSE(meter->IsDirty());
  const MeterPicture pic = meter->Picture();
  const qreal ratio = image.devicePixelRatio();
  auto pixel = [&](int x, int y) { return image.pixelColor(QPoint(x, y) * ratio); };
  EXPECT_EQ(pixel(1, pic.level + 3), CMeter::BarColor());
  EXPECT_EQ(pixel(1, pic.level - 3), CMeter::EmptyColor());
  EXPECT_EQ(pixel(meter->width() - 1, pic.scale.top + 3), meter->palette().color(QPalette::Button));
}

TEST(MeterCtrl, AReadingOutOfRangeOrNoNumberShowsInTheAlarmColour) {
  CMeterCtrl panel;
  panel.SetUnit("%");
  panel.SetRange(0, 100);
  auto *box = panel.findChild<QLineEdit *>("1025");
  const QColor normal = box->palette().color(QPalette::Base);
  ASSERT_NE(normal, CMeterCtrl::AlarmBackground());

  // An open sensor: far above the range, the value itself still shown.
  panel.SetValueText("119.8600");
  EXPECT_EQ(box->text(), "119.8600");
  EXPECT_EQ(panel.Alarm(), MeterAlarm::Above);
  EXPECT_EQ(box->palette().color(QPalette::Base), CMeterCtrl::AlarmBackground());
  EXPECT_EQ(panel.toolTip(), "Above range (0.0000 to 100.0000 %)");

  panel.SetValueText("-0.5000");
  EXPECT_EQ(panel.Alarm(), MeterAlarm::Below);
  EXPECT_TRUE(panel.toolTip().startsWith("Below range"));

  // A garbled reply is no value at all: never its raw text.
  panel.SetValueText("12.3\x01x");
  EXPECT_EQ(box->text(), "----");
  EXPECT_EQ(panel.Alarm(), MeterAlarm::NotANumber);
  EXPECT_EQ(box->palette().color(QPalette::Base), CMeterCtrl::AlarmBackground());

  // A range that grows to take the value in ends the alarm.
  panel.SetValueText("100.0000");
  EXPECT_EQ(panel.Alarm(), MeterAlarm::None);
  EXPECT_EQ(box->palette().color(QPalette::Base), normal);
  EXPECT_TRUE(panel.toolTip().isEmpty());
  panel.SetRange(0, 50);
  EXPECT_EQ(panel.Alarm(), MeterAlarm::Above);
}

} // namespace
