// The resistance-input model KT5RS: the KT7W parameter set with its own input
// types and range table (in percent of the resistance range) and the added
// parameter "Burnout", which travels through the model extras.
#pragma once

#include "core/model/par_kt7w.h"

class CParKT5RS : public CParKT7W {
public:
  CParKT5RS();
  ~CParKT5RS() override;

  std::unique_ptr<CParBase> Clone() const override;
  void CopyFrom(const CParBase &other) override;

  std::string GetChoiceText(int block, int item, int code) const override;
  int GetValue(int block, int item) const override;
  std::string GetValueString(int block, int item) const override;
  void SetValue(int block, int item, int value) override;
  void SetValueString(int block, int item, const std::string &text) override;
  std::string GetInputUnit() const override;
  std::string GetUtilityLabel(int block, int slot) const override;

  void WriteModelExtras(CCommInterface &comm, int block, int item) override;
  void ReadModelExtras(CCommInterface &comm, int block, int item) override;

protected:
  bool IsIntegerText(int block, int item) const override;

private:
  int m_burnout = 0;
};
