#include "output.h"

#include "core/platform/com_ports.h"
#include "core/model/compare_rows.h"
#include "core/model/par_base.h"
#include "core/model/par_describe.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <cstdio>
#include <iostream>

void CJsonWriter::Separate() {
  if (m_afterKey) {
    m_afterKey = false;
    return;
  }
  if (!m_first.empty()) {
    if (!m_first.back())
      m_text += ',';
    m_first.back() = false;
  }
}

void CJsonWriter::BeginObject() {
  Separate();
  m_text += '{';
  m_first.push_back(true);
}

void CJsonWriter::EndObject() {
  m_text += '}';
  m_first.pop_back();
}

void CJsonWriter::BeginArray() {
  Separate();
  m_text += '[';
  m_first.push_back(true);
}

void CJsonWriter::EndArray() {
  m_text += ']';
  m_first.pop_back();
}

void CJsonWriter::Key(std::string_view name) {
  String(name);
  m_text += ':';
  m_afterKey = true;
}

void CJsonWriter::String(std::string_view text) {
  Separate();
  m_text += '"';
  for (const char c : text) {
    switch (c) {
    case '"':
      m_text += "\\\"";
      break;
    case '\\':
      m_text += "\\\\";
      break;
    case '\n':
      m_text += "\\n";
      break;
    case '\r':
      m_text += "\\r";
      break;
    case '\t':
      m_text += "\\t";
      break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        m_text += escaped;
      } else {
        m_text += c;
      }
    }
  }
  m_text += '"';
}

void CJsonWriter::Number(long long value) {
  Separate();
  m_text += std::to_string(value);
}

namespace {

void Field(CJsonWriter &json, std::string_view key, std::string_view value) {
  json.Key(key);
  json.String(value);
}

std::string Id(int block, int item) { return std::to_string(block) + '.' + std::to_string(item); }

void Place(CJsonWriter &json, int block, int item) {
  Field(json, "id", Id(block, item));
  json.Key("block");
  json.Number(block);
  json.Key("item");
  json.Number(item);
}

void Emit(const CJsonWriter &json) { std::cout << json.Text() << '\n'; }

} // namespace

void PrintPorts(const std::vector<CPortRecord> &ports, bool json) {
  if (!json) {
    for (const auto &record : ports)
      std::cout << record.name << '\t' << record.display << '\t' << record.device << '\n';
    return;
  }
  CJsonWriter out;
  out.BeginObject();
  out.Key("ports");
  out.BeginArray();
  for (const auto &record : ports) {
    out.BeginObject();
    Field(out, "name", record.name);
    Field(out, "display", record.display);
    Field(out, "device", record.device);
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
  Emit(out);
}

void PrintParameters(const CParBase &model, const std::vector<std::pair<int, int>> &items, bool json) {
  if (!json) {
    for (const auto &[block, item] : items)
      std::cout << block << '.' << item << '\t' << LoadString(IDS_BLOCK_0 + block) << '\t'
                << model.GetName(block, item) << '\t' << model.GetValueText(block, item) << '\n';
    return;
  }
  CJsonWriter out;
  out.BeginObject();
  out.Key("parameters");
  out.BeginArray();
  for (const auto &[block, item] : items) {
    out.BeginObject();
    Place(out, block, item);
    Field(out, "blockName", LoadString(IDS_BLOCK_0 + block));
    Field(out, "name", model.GetName(block, item));
    Field(out, "value", model.GetValueText(block, item));
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
  Emit(out);
}

void PrintCompare(const CompareRows &result, bool json, const char *firstName, const char *secondName) {
  if (!json) {
    for (const auto &row : result.rows) {
      if (!row.differs)
        continue;
      std::cout << row.block << '.' << row.item << '\t' << row.blockName << '\t' << row.parameterName << '\t'
                << row.editedText << '\t' << row.deviceText << '\n';
    }
    std::cout << result.summary << '\n';
    return;
  }
  CJsonWriter out;
  out.BeginObject();
  out.Key("differences");
  out.BeginArray();
  for (const auto &row : result.rows) {
    if (!row.differs)
      continue;
    out.BeginObject();
    Place(out, row.block, row.item);
    Field(out, "blockName", row.blockName);
    Field(out, "name", row.parameterName);
    Field(out, firstName, row.editedText);
    Field(out, secondName, row.deviceText);
    out.EndObject();
  }
  out.EndArray();
  out.Key("differing");
  out.Number(result.differing);
  Field(out, "summary", result.summary);
  out.EndObject();
  Emit(out);
}

namespace {

// The range column: "LOW..HIGH", with values taken besides it first
// ("0|0.5000..30.0000"); choices as "CODE=TEXT" joined by '|'.
std::string RangeText(const ParameterDescription &d) {
  std::string text;
  for (const auto &also : d.alsoAccepted)
    text += also + '|';
  if (d.hasRange)
    text += d.lowest + ".." + d.highest;
  for (std::size_t i = 0; i < d.choices.size(); ++i)
    text += (i > 0 ? "|" : "") + d.choices[i].first + '=' + d.choices[i].second;
  return text;
}

} // namespace

void PrintDescriptions(const std::vector<ParameterDescription> &list, bool json) {
  if (!json) {
    for (const auto &d : list)
      std::cout << d.block << '.' << d.item << '\t' << d.blockName << '\t' << d.name << '\t' << d.kind << '\t'
                << d.unit << '\t' << RangeText(d) << '\t' << d.defaultValue << '\n';
    return;
  }
  CJsonWriter out;
  out.BeginObject();
  out.Key("parameters");
  out.BeginArray();
  for (const auto &d : list) {
    out.BeginObject();
    Place(out, d.block, d.item);
    Field(out, "blockName", d.blockName);
    Field(out, "name", d.name);
    Field(out, "kind", d.kind);
    Field(out, "unit", d.unit);
    if (d.hasRange) {
      Field(out, "lowest", d.lowest);
      Field(out, "highest", d.highest);
    }
    if (!d.alsoAccepted.empty()) {
      out.Key("alsoAccepted");
      out.BeginArray();
      for (const auto &also : d.alsoAccepted)
        out.String(also);
      out.EndArray();
    }
    if (!d.choices.empty()) {
      out.Key("choices");
      out.BeginArray();
      for (const auto &[code, text] : d.choices) {
        out.BeginObject();
        Field(out, "code", code);
        Field(out, "text", text);
        out.EndObject();
      }
      out.EndArray();
    }
    Field(out, "default", d.defaultValue);
    out.EndObject();
  }
  out.EndArray();
  out.EndObject();
  Emit(out);
}
