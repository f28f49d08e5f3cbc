// The observer pair, the edit object and the model's editing operations,
// run against editors that record what they are told.
#include "core/model/observable.h"
#include "core/model/par_edit.h"
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "recording_editors.h"
#include "core/resources/string_ids.h"

#include <gtest/gtest.h>

namespace {

class CountingObserver : public CObserver {
public:
  explicit CountingObserver(std::vector<std::string> *order = nullptr, std::string name = {})
      : m_order(order), m_name(std::move(name)) {}
  void Update(CObservable &source) override {
    ++updates;
    last = &source;
    if (m_order != nullptr)
      m_order->push_back(m_name);
  }
  int updates = 0;
  CObservable *last = nullptr;

private:
  std::vector<std::string> *m_order;
  std::string m_name;
};

struct EditFixture : ::testing::Test {
  std::shared_ptr<EditorLog> log = std::make_shared<EditorLog>();
  RecordingTextEditor *text = nullptr;
  RecordingListEditor *list = nullptr;
  std::unique_ptr<CParEdit> edit;
  CountingObserver window;

  void SetUp() override {
    auto t = std::make_unique<RecordingTextEditor>(log);
    auto l = std::make_unique<RecordingListEditor>(log);
    text = t.get();
    list = l.get();
    edit = std::make_unique<CParEdit>(std::move(t), std::move(l));
    edit->Attach(&window);
    edit->SetRect({10, 20, 110, 38});
  }
};

} // namespace

TEST(Observable, NotifiesInAttachOrderAndTwiceForADoubleAttach) {
  CObservable subject;
  std::vector<std::string> order;
  CountingObserver a(&order, "a"), b(&order, "b");
  subject.Attach(&a);
  subject.Attach(&b);
  subject.Attach(&a);
  subject.Notify();
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "a"}));
  EXPECT_EQ(a.updates, 2);
  EXPECT_EQ(a.last, &subject);
}

TEST_F(EditFixture, ListEditorOutcomeBecomesChoiceResultAndIsPassedOn) {
  list->EndEdit(2, true);
  EXPECT_EQ(edit->GetAcceptedResult(), CParEdit::kChoiceAccepted);
  EXPECT_EQ(edit->GetChosenIndex(), 2);
  EXPECT_EQ(window.updates, 1);
  EXPECT_EQ(window.last, &edit->Subject());

  list->EndEdit(1, false);
  EXPECT_EQ(edit->GetAcceptedResult(), CParEdit::kCancelled);
  EXPECT_EQ(window.updates, 2);
}

TEST_F(EditFixture, TextEditorOutcomeBecomesTextResult) {
  text->EndEdit("12.5", true);
  EXPECT_EQ(edit->GetAcceptedResult(), CParEdit::kTextAccepted);
  EXPECT_EQ(edit->GetEnteredText(), "12.5");
  EXPECT_EQ(window.updates, 1);
}

TEST_F(EditFixture, WindowRefreshHidesBothEditorsAndDiscardsTheEditSilently) {
  CParKT5RS model;
  model.ShowEditor(1, 0, *edit);
  text->EndEdit("5", true);
  ASSERT_EQ(edit->GetAcceptedResult(), CParEdit::kTextAccepted);
  log->calls.clear();

  CObservable mainWindow;
  mainWindow.Attach(edit.get());
  mainWindow.Notify();
  EXPECT_EQ(log->calls, (std::vector<std::string>{"text.Hide", "list.Hide"}));
  EXPECT_EQ(edit->GetAcceptedResult(), CParEdit::kCancelled);
  EXPECT_EQ(window.updates, 1); // no notification of its own

  model.ApplyEdit(1, 0, *edit);
  EXPECT_EQ(model.GetValue(1, 0), 0);
}

TEST_F(EditFixture, TextEditorCoversTheCellExactly) {
  CParKT5RS model;
  model.SetValueString(1, 0, "2.5");
  model.ShowEditor(1, 0, *edit);
  EXPECT_EQ(log->calls, (std::vector<std::string>{"list.Hide", "text.Move 10,20,100,18", "text.Show",
                                                  "text.SetText 2.5000", "text.SelectAll", "text.SetFocus"}));
  EXPECT_EQ(edit->GetRect().left, 10);
}

TEST_F(EditFixture, ListEditorIsWiderAndHigherThanTheCellAndOffersEveryChoice) {
  CParKT5RS model;
  model.SetValue(0, 0, 3);
  model.ShowEditor(0, 0, *edit);
  EXPECT_EQ(log->calls,
            (std::vector<std::string>{"text.Hide", "list.ResetContent", "list.Move 8,16,104,22", "list.Show",
                                      "list.SetCurSel 3", "list.ShowDropDown", "list.SetFocus"}));
  EXPECT_EQ(list->entries.size(), 6u);
  EXPECT_EQ(list->entries[5], "5: 0 - 50Ohm");
  // The widened rectangle is kept in the edit object.
  EXPECT_EQ(edit->GetRect().left, 8);
  EXPECT_EQ(edit->GetRect().top, 16);
  EXPECT_EQ(edit->GetRect().right, 112);
  EXPECT_EQ(edit->GetRect().bottom, 38);

  log->calls.clear();
  model.ShowEditor(0, 1, *edit);
  EXPECT_EQ(list->entries, (std::vector<std::string>{"None", "Downscale", "Upscale"}));
}

TEST_F(EditFixture, ReadOnlyItemOpensNoEditor) {
  CParKT5RS model;
  model.ShowEditor(6, 1, *edit);
  model.ShowEditor(6, 0, *edit);
  EXPECT_TRUE(log->calls.empty());

  // The service mode unlocks Model and Serial.
  model.SetServiceFlag(true);
  model.ShowEditor(6, 0, *edit);
  EXPECT_FALSE(log->calls.empty());
}

namespace {

// Choice lists of any length, for the limits of the drop-down list.
class ChoiceModel : public CParKT5RS {
public:
  explicit ChoiceModel(int choices) : m_choices(choices) {}
  std::string GetChoiceText(int block, int item, int code) const override {
    if (block == 0 && item == 0)
      return code < m_choices ? "choice " + std::to_string(code) : std::string();
    return CParKT5RS::GetChoiceText(block, item, code);
  }

private:
  int m_choices;
};

} // namespace

TEST_F(EditFixture, EmptyChoiceListStillOpensAnEmptyDropDown) {
  ChoiceModel model(0);
  model.ShowEditor(0, 0, *edit);
  EXPECT_TRUE(list->entries.empty());
  EXPECT_NE(std::find(log->calls.begin(), log->calls.end(), "list.ShowDropDown"), log->calls.end());
}

TEST_F(EditFixture, AChoiceListStopsAtAThousandEntries) {
  ChoiceModel model(5000);
  model.ShowEditor(0, 0, *edit);
  EXPECT_EQ(list->entries.size(), 1000u);
}

TEST_F(EditFixture, ApplyEditTakesTheChoiceOrTheTextAndKeepsTheValueWhenRefused) {
  CParKT5RS model;
  list->EndEdit(2, true);
  model.ApplyEdit(0, 1, *edit);
  EXPECT_EQ(model.GetValue(0, 1), 2);

  // A full-width space typed by a Japanese input method counts as blank.
  text->EndEdit("\xE3\x80\x80 12.5 \xE3\x80\x80", true);
  model.ApplyEdit(1, 1, *edit);
  EXPECT_EQ(model.GetValue(1, 1), 125000);

  // Only what the list offers.
  list->EndEdit(3, true);
  try {
    model.ApplyEdit(0, 1, *edit);
    FAIL() << "Burnout 3 accepted from the list";
  } catch (const CParameterException &e) {
    EXPECT_EQ(e.GetErrorMessage(), "Burnout should be a from 0 to 2. ");
  }
  EXPECT_EQ(model.GetValue(0, 1), 2);

  text->EndEdit("0.4", true);
  try {
    model.ApplyEdit(1, 0, *edit);
    FAIL() << "0.4 s accepted as filter time constant";
  } catch (const CParameterException &e) {
    EXPECT_EQ(e.GetId(), IDS_FILTER_RANGE_ERROR);
  }
  EXPECT_EQ(model.GetValue(1, 0), 0);

  list->EndEdit(1, false);
  model.ApplyEdit(0, 1, *edit);
  EXPECT_EQ(model.GetValue(0, 1), 2);
}

TEST(ParBaseWalk, EveryWalkStopsAfterTheDeviceInformation) {
  CParKT5RS kt5rs;
  CParKT7W kt7w;
  int total5 = 0, total7 = 0, blocks = 0;
  for (int block = 0; kt5rs.GetItemCount(block) > 0; ++block, ++blocks)
    total5 += kt5rs.GetItemCount(block);
  for (int block = 0; kt7w.GetItemCount(block) > 0; ++block)
    total7 += kt7w.GetItemCount(block);
  EXPECT_EQ(blocks, 7);
  EXPECT_EQ(kt5rs.GetItemCount(7), 0);
  EXPECT_EQ(kt5rs.GetItemCount(-1), 0);
  EXPECT_EQ(total5, 221);
  EXPECT_EQ(total7, 220);
  EXPECT_EQ(kt5rs.GetTotalItemCount(), 221);
}
