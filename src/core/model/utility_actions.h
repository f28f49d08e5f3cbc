// Which button of a block's utility column does what. One row per button:
// its caption, the action it runs and, for a Trend Graph button, the live
// value it records. The captions, the actions and the main window's trend
// graph all read this one table.
#pragma once

class CCommInterface;
class CParKT7W;

struct UtilityAction {
  int block;
  int slot;
  int labelId;
  // Runs on the UI thread while the caller holds the link mutex; comm is
  // null offline. Null for a Trend Graph button: the chart is the window's.
  void (*run)(CParKT7W &model, CCommInterface *comm);
  // Trend Graph: the live value it records, by the poller's numbering;
  // -1 for every other button.
  int liveChannel;
  // A calibration procedure, offered in the service mode only.
  bool serviceOnly;
};

// The row of a button, or null where the column has none.
const UtilityAction *FindUtilityAction(int block, int slot);
// The Trend Graph row of a block, or null where the block has none.
const UtilityAction *FindTrendGraphAction(int block);
