// The parameter set of the DC-input model KT7W: seven function blocks, the
// 101-point linearization table, its validation, its transfer over the
// command protocol and its configuration file. CParKT5RS builds on it.
#pragma once

#include "core/model/par_base.h"

#include <array>
#include <atomic>
#include <span>
#include <string>
#include <vector>

class CTableFile;

// One row of a model's descriptor table; the table ends with a row whose
// name id is 0.
struct ParDescriptor {
  int block;
  int item;
  int nameId;
  int editKind;
};

// The values a parameter takes, in stored units; a parameter that takes
// 0 besides its range (the filter time constant) says so.
struct ValueLimits {
  int lowest = 0;
  int highest = 0;
  bool zeroAllowed = false;
};

// Limits of one input or output type, in stored units (value x 10000).
struct RangeRow {
  int lowest;
  int highest;
  int minimumSpan;
  int unitId;
};

class CParKT7W : public CParBase {
public:
  static constexpr int kTablePairs = 101;
  static constexpr int kBlock3Items = 2 + 2 * kTablePairs;

  CParKT7W();
  ~CParKT7W() override;

  std::unique_ptr<CParBase> Clone() const override;
  void CopyFrom(const CParBase &other) override;

  int GetItemCount(int block) const override;
  std::string GetName(int block, int item) const override;
  std::string GetValueText(int block, int item) const override;
  std::string GetChoiceText(int block, int item, int code) const override;
  std::string GetValueString(int block, int item) const override;
  int GetValue(int block, int item) const override;
  void ApplyEdit(int block, int item, const CParEdit &edit) override;
  void SetValue(int block, int item, int value) override;
  void SetValueString(int block, int item, const std::string &text) override;
  int GetEditKind(int block, int item) const override;
  void ShowEditor(int block, int item, CParEdit &edit) override;
  std::string GetInputUnit() const override;
  std::string GetOutputUnit() const override;

  bool CheckEditSwitch(CCommInterface &comm) override;
  void WriteToDevice(CCommInterface &comm, int block, int item) override;
  void ReadFromDevice(CCommInterface *comm, int block, int item) override;
  int GetProgress() const override;
  void ResetProgress() override;

  std::string GetUtilityLabel(int block, int slot) const override;
  void ExecuteUtility(CCommInterface *comm, int block, int slot) override;

  void SaveFile(const std::string &path) override;
  void LoadFile(const std::string &path) override;
  std::string GetOutOfRangeReport() const override;
  std::string GetDescription(int block, int item, bool online) const override;

  // Parameters this model adds to the base set travel here, at the end of
  // every transfer, with the transfer's selection.
  virtual void WriteModelExtras(CCommInterface &comm, int block, int item);
  virtual void ReadModelExtras(CCommInterface &comm, int block, int item);

  // Text to decimal x 10000. Sets the parse flag: false for a text that is
  // not a plain decimal number (which then gives 0).
  int ParseScaled(const std::string &text);

  // Throws CParameterException 214 unless the device names this model.
  void VerifyDeviceModel(CCommInterface &comm);
  // Null interface: tells the user the action needs a connection and returns
  // false. Otherwise checks the device model and returns true.
  bool RequireOnline(CCommInterface *comm);

  // Set while the loop test holds the output fixed: type writes then leave
  // item 1 at "1" so they do not end the fixed output.
  bool GetLoopTest() const { return m_loopTest; }
  void SetLoopTest(bool on) { m_loopTest = on; }
  // Returns the output to normal, as the loop test's third mode does.
  void EndLoopTest(CCommInterface &comm);

  // The user table as the table dialog shows it: the active points, in
  // engineering units.
  CTableFile GetUserTable() const;
  // Takes a table over: its first 101 points become the active ones (the
  // number of points follows them unchecked), every further pair is 0.
  void TakeUserTable(const CTableFile &table);

  int GetTotalItemCount() const { return m_totalItems; }
  int GetTransferCount() const { return m_transferCount.load(); }

  // The limits of the current input and output types.
  const RangeRow &InputRange() const;
  const RangeRow &OutputRange() const;
  int GetInputTypeCount() const { return static_cast<int>(m_inputRanges.size()); }

  static std::span<const RangeRow> OutputRanges();

  // The limits a store holds the value to, against the present values of
  // its partners (the type, the other end of a range); false for a
  // parameter a store takes unchecked (texts, codes no table is read with).
  bool GetLimits(int block, int item, ValueLimits &limits) const;
  // Written as a whole number ("%d") rather than with four decimals.
  bool IsIntegerParameter(int block, int item) const { return IsIntegerText(block, item); }

protected:
  CParKT7W(std::string modelName, ParDescriptor *descriptor, std::span<const RangeRow> inputRanges,
           int totalItems);

  // Raises the range message 205 (with the parse flag reset) unless value
  // lies within the limits and the text being set read as a number.
  void CheckRange(int block, int item, int value, int lowest, int highest);
  // CheckRange against GetLimits; nothing for a parameter without limits.
  void CheckLimits(int block, int item, int value);
  // True for the parameters written with "%d": choices and the number of points.
  virtual bool IsIntegerText(int block, int item) const;
  bool IsDecimal(int block, int item) const;
  // The validated store of one value; the parse flag tells whether the text
  // it came from was a number.
  void StoreValue(int block, int item, int value);
  void AddProgress(int count) { m_transferCount += count; }
  // A value that did not come from a text counts as a number.
  void MarkParsed() { m_parseFlag = true; }

  const ParDescriptor *FindDescriptor(int block, int item) const;
  void SetTagEditKind(int kind);

private:
  // The utility actions (par_kt7w_utility.cpp), one function each.
  friend struct CParKT7WUtility;

  struct RefusedValue {
    int block;
    int item;
    std::string message;
  };
  // Every entry but the device information, types first. Without a list the
  // first refusal is thrown; with one, each is noted and loading goes on.
  void LoadEntries(const CProfileFile &file, std::vector<RefusedValue> *refused);
  void WriteTypeCode(CCommInterface &comm, int item, int code);

  ParDescriptor *m_descriptor;
  std::span<const RangeRow> m_inputRanges;

  int m_inputType = 0;
  int m_filter = 0;
  int m_fineZeroX = 0;
  int m_fineZeroY = 0;
  int m_fineSpan = 1000000;
  int m_input0 = 0;
  int m_input100 = 500000;
  int m_linearization = 0;
  int m_points = 3;
  std::array<int, kTablePairs> m_tableX{};
  std::array<int, kTablePairs> m_tableY{};
  int m_output0 = 0;
  int m_output100 = 200000;
  int m_outputType = 0;
  int m_outFineZero = 0;
  int m_outFineSpan = 1000000;
  std::string m_model;
  std::string m_firmware;
  std::string m_serial;
  std::string m_tag;

  bool m_loopTest = false;
  bool m_fineZeroWritten = false;
  bool m_parseFlag = true;
  // Read by the progress display while the loader thread counts.
  std::atomic<int> m_transferCount{0};
  int m_totalItems;
};
