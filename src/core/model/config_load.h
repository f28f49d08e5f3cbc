// Opening a configuration file, the same way for the window and vela-cli.
#pragma once

#include <memory>
#include <string>

class CParBase;

// Throws CParameterException 207 naming the path when the file cannot be
// opened. The profile reader takes a missing file as an empty one, which
// would then be reported as a file of another model.
void RequireConfigFile(const std::string &path);

// The file read into a copy of model that starts from model's values, so a
// file that fails half-way leaves the set the user had. Checks
// RequireConfigFile first; throws the first entry the copy could not take.
std::unique_ptr<CParBase> LoadConfigCopy(const CParBase &model, const std::string &path);
