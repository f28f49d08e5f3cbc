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

TEST(MeterCtrl, ValueTextShownVerbatimAndDrawnAsABar) {
  CMeterCtrl panel;
  panel.SetRange(100, 0);
  auto *box = panel.findChild<QLineEdit *>("1025");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isReadOnly());

  panel.SetValueText("not a number");
  EXPECT_EQ(box->text(), "not a number");
  EXPECT_EQ(panel.Value(), 0);

  panel.SetValueText(" 50.0000 mA");
  EXPECT_EQ(box->text(), " 50.0000 mA");
  EXPECT_EQ(panel.Value(), 50);

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

} // namespace
