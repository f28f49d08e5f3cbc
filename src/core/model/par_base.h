// The abstract parameter model: every parameter of one device model with its
// value, name, editing, validation, device transfer and file storage.
//
// Parameters are addressed as (block, item). Block b runs from 0 while
// GetItemCount(b) > 0; item runs from 0 to GetItemCount(b) - 1. The transfer
// operations take -1 as a wildcard: (-1, -1) is every parameter, (b, -1) the
// whole block b. Decimal values are held as integers scaled by 10000, choices
// as their code, the device information as text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class CCommInterface;
class CParEdit;
class CProfileFile;

// Edit kinds returned by GetEditKind.
inline constexpr int EDIT_NONE = 0;   // shown, not editable
inline constexpr int EDIT_TEXT = 1;   // edited as text
inline constexpr int EDIT_CHOICE = 2; // chosen from a list

class CParBase {
public:
  CParBase() = default;
  virtual ~CParBase();
  CParBase(const CParBase &) = delete;
  CParBase &operator=(const CParBase &) = delete;

  // A new model of the same class with default values and the same service flag.
  virtual std::unique_ptr<CParBase> Clone() const = 0;
  // Takes the service flag and model name; the models add their values.
  virtual void CopyFrom(const CParBase &other);

  // 0 for a block that does not exist.
  virtual int GetItemCount(int block) const = 0;
  virtual std::string GetName(int block, int item) const = 0;
  // The text shown in the list: the choice text of a choice, the value string otherwise.
  virtual std::string GetValueText(int block, int item) const;
  // The text of one choice; empty past the last choice, which ends every
  // enumeration. Non-choice parameters give their value string.
  virtual std::string GetChoiceText(int block, int item, int code) const;
  // The number of entries the list editor offers for a choice parameter.
  int CountChoices(int block, int item) const;
  // Throws the range message 205 unless code is one the list offers: a user
  // edit never sets a code the list does not show.
  void CheckChoice(int block, int item, long long code) const;
  // The code of a choice as a user typed it: the code in digits, or the
  // choice text without regard to case; blanks around it do not count.
  // Throws 205 for anything the list does not offer.
  int ParseChoice(int block, int item, std::string_view text) const;

  // "%d" of choices and integers, "%.4lf" of decimals / 10000, the text itself
  // for device information; always with a '.' decimal point.
  virtual std::string GetValueString(int block, int item) const = 0;
  virtual int GetValue(int block, int item) const = 0;
  // Takes the accepted result of an in-place edit; throws CParameterException
  // and keeps the previous value when the model refuses it.
  virtual void ApplyEdit(int block, int item, const CParEdit &edit) = 0;
  virtual void SetValue(int block, int item, int value) = 0;
  virtual void SetValueString(int block, int item, const std::string &text) = 0;
  // EDIT_NONE, EDIT_TEXT or EDIT_CHOICE.
  virtual int GetEditKind(int block, int item) const = 0;
  // Places, fills and shows the editor the item needs on the edit object's rectangle.
  virtual void ShowEditor(int block, int item, CParEdit &edit) = 0;
  virtual std::string GetInputUnit() const = 0;
  virtual std::string GetOutputUnit() const = 0;

  // True when the device permits parameter writes; otherwise tells the user
  // why and returns false.
  virtual bool CheckEditSwitch(CCommInterface &comm) = 0;
  // Writes the selection; resets the transfer counter first.
  virtual void WriteToDevice(CCommInterface &comm, int block, int item) = 0;
  // Reads the selection; adds to the transfer counter. A null interface
  // clears the device information without sending anything.
  virtual void ReadFromDevice(CCommInterface *comm, int block, int item) = 0;
  // Percent of the whole set transferred; safe to call from another thread
  // while a transfer runs.
  virtual int GetProgress() const = 0;
  virtual void ResetProgress() = 0;

  // What a user may want to know of a parameter beyond its row: the full
  // name, the range with its unit or the list of choices, the default and,
  // online, the value last read from the instrument. One fact a line.
  virtual std::string GetDescription(int block, int item, bool online) const;

  // Label of a utility action; empty ends the block's list of actions.
  virtual std::string GetUtilityLabel(int block, int slot) const = 0;
  // comm is null while offline.
  virtual void ExecuteUtility(CCommInterface *comm, int block, int slot) = 0;

  // After a whole upload: the values the instrument holds that lie outside
  // their ranges, one line each under a heading, or "" when there are none.
  // A file saved from such values could not be loaded again.
  virtual std::string GetOutOfRangeReport() const;

  // Configuration file. A failed save throws CParameterException 208 and
  // leaves any previous file whole; a failed load throws the failure of the
  // first entry that could not be taken.
  virtual void SaveFile(const std::string &path);
  virtual void LoadFile(const std::string &path);

  bool GetServiceFlag() const { return m_serviceFlag; }
  void SetServiceFlag(bool on) { m_serviceFlag = on; }
  const std::string &GetModelName() const { return m_modelName; }

protected:
  void SetModelName(std::string name) { m_modelName = std::move(name); }

  // The generic walk over every parameter: one "G%d" section per block, one
  // "P%d" key per item.
  void WriteEntries(CProfileFile &file) const;
  void ReadEntries(const CProfileFile &file);
  // Reads one entry (at most 510 characters, empty when missing) into SetValueString.
  void LoadEntry(const CProfileFile &file, int block, int item);
  // Writes the document over path, or throws CParameterException 208.
  static void CommitFile(const CProfileFile &file, const std::string &path);

private:
  bool m_serviceFlag = false;
  std::string m_modelName;
};
