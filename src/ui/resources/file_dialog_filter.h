// The filter strings of the string table ("name|pattern|name|pattern||") as
// a file dialog takes them ("name (pattern);;name (pattern)").
#pragma once

#include <QString>
#include <string>

QString FileDialogFilter(const std::string &resource);
