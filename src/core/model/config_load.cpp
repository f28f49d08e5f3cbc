#include "core/model/config_load.h"

#include "core/model/par_base.h"
#include "core/model/parameter_exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <fstream>

void RequireConfigFile(const std::string &path) {
  if (!std::ifstream(path, std::ios::binary).is_open())
    throw CParameterException(IDS_LOAD_FILE_FAILED, LoadString(IDS_LOAD_FILE_FAILED) + " (" + path + ")");
}

std::unique_ptr<CParBase> LoadConfigCopy(const CParBase &model, const std::string &path) {
  RequireConfigFile(path);
  std::unique_ptr<CParBase> copy = model.Clone();
  copy->CopyFrom(model);
  copy->LoadFile(path);
  return copy;
}
