// How each parameter travels over the command protocol: every parameter
// lives in device group 1; group 99 holds the model and serial texts and the
// edit switch.
#include "core/model/par_kt7w.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/model/parameter_exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/ui_host.h"

#include <algorithm>

namespace {

// (-1, -1) is every parameter, (b, -1) the whole block b.
bool Selected(int block, int item, int b, int i) {
  return block == -1 || (block == b && (item == -1 || item == i));
}

bool WholeSet(int block, int item) { return block == -1 && item == -1; }

std::string Transact(CCommInterface &comm, const std::string &command) {
  std::string reply;
  comm.Transact(command, reply);
  return reply;
}

// The reply with its first `skip` characters taken off.
std::string After(const std::string &reply, std::size_t skip) {
  return reply.substr(std::min(skip, reply.size()));
}

// Reads `count` numbers like "%lf %lf ..."; a reply that holds fewer is not
// an answer to the command and is refused before anything is stored.
template <std::size_t N> std::array<double, N> ScanNumbers(std::string_view text) {
  std::array<double, N> values{};
  for (double &value : values) {
    if (!ScanDouble(text, value))
      throw CCommInterfaceException(IDS_INVALID_D_RESPONSE);
  }
  return values;
}

} // namespace

void CParKT7W::VerifyDeviceModel(CCommInterface &comm) {
  comm.SelectItem(90);
  const std::string reply = Transact(comm, "D2\r");
  const std::string name = After(reply, 1).substr(0, GetModelName().size());
  if (name != GetModelName())
    throw CParameterException(IDS_DEVICE_NOT_SUPPORTED);
}

bool CParKT7W::RequireOnline(CCommInterface *comm) {
  if (comm == nullptr) {
    AfxMessageBox(IDS_ONLY_ONLINE, MB_ICONERROR);
    return false;
  }
  VerifyDeviceModel(*comm);
  return true;
}

bool CParKT7W::CheckEditSwitch(CCommInterface &comm) {
  comm.SelectGroup(99);
  comm.SelectItem(7);
  const std::string reply = Transact(comm, "DW\r");
  comm.SelectGroup(1);
  if (!reply.empty() && reply.front() == 'D') {
    const std::string text = After(reply, 1);
    std::string_view rest = text;
    int switches = 0;
    if (ScanInt(rest, switches) && (switches & 0x80) != 0)
      return true;
  }
  AfxMessageBox(IDS_EDIT_SWITCH_OFF, MB_ICONERROR);
  return false;
}

void CParKT7W::ReadFromDevice(CCommInterface *comm, int block, int item) {
  if (WholeSet(block, item))
    m_loopTest = false;
  if (comm == nullptr) {
    m_model.clear();
    m_firmware.clear();
    m_serial.clear();
    m_tag.clear();
    SetTagEditKind(EDIT_NONE);
    return;
  }
  SetTagEditKind(EDIT_TEXT);

  comm->SelectGroup(1);
  VerifyDeviceModel(*comm);

  auto sel = [block, item](int b, int i) { return Selected(block, item, b, i); };

  if (sel(0, 0)) {
    SetValueString(0, 0, comm->ReadItem(10));
    AddProgress(1);
  }
  if (sel(1, 0)) {
    SetValueString(1, 0, comm->ReadItem(18));
    AddProgress(1);
  }
  if (sel(1, 1) || sel(1, 2) || sel(1, 3)) {
    comm->SelectItem(31);
    const auto [x, y, span] = ScanNumbers<3>(After(Transact(*comm, "DZ\r"), 2));
    if (sel(1, 1)) {
      // Right after a write of the pair, a zero X that sits on its lowest
      // limit is kept rather than taken from the device.
      if (!(m_fineZeroWritten && m_fineZeroX == -100000000))
        m_fineZeroX = ScaleToStored(x);
    }
    if (sel(1, 2))
      m_fineZeroY = ScaleToStored(y);
    if (sel(1, 3))
      m_fineSpan = ScaleToStored(span);
    if (sel(1, 1) || sel(1, 2))
      m_fineZeroWritten = false;
    AddProgress(3);
  }
  if (sel(2, 0) || sel(2, 1)) {
    comm->SelectItem(14);
    const auto [low, high] = ScanNumbers<2>(After(Transact(*comm, "D\r"), 1));
    if (sel(2, 0))
      m_input0 = ScaleToStored(low);
    if (sel(2, 1))
      m_input100 = ScaleToStored(high);
    AddProgress(2);
  }
  if (sel(3, 0)) {
    SetValueString(3, 0, comm->ReadItem(25));
    AddProgress(1);
  }
  if (sel(3, 1)) {
    comm->SelectItem(62);
    Transact(*comm, "DR\r");
    const std::string text = After(Transact(*comm, "DZ\r"), 1);
    std::string_view rest = text;
    int points = 0;
    if (!ScanInt(rest, points))
      throw CCommInterfaceException(IDS_INVALID_D_RESPONSE);
    m_points = points;
    AddProgress(1);
  }
  const bool wholeTable = block == -1 || (block == 3 && item == -1);
  const bool oneTableItem = block == 3 && item >= 2 && item < kBlock3Items;
  if (wholeTable || oneTableItem) {
    comm->SelectItem(62);
    Transact(*comm, "DR\r");
    auto readPoint = [&](int tableItem) {
      const int k = (tableItem - 2) / 2;
      const bool isX = tableItem % 2 == 0;
      const std::string command = std::string(isX ? "DX" : "DY") + FormatInt(k) + "\r";
      const auto [value] = ScanNumbers<1>(After(Transact(*comm, command), 1));
      (isX ? m_tableX : m_tableY)[static_cast<std::size_t>(k)] = ScaleToStored(value);
      AddProgress(1);
    };
    if (wholeTable) {
      for (int tableItem = 2; tableItem < kBlock3Items; ++tableItem)
        readPoint(tableItem);
    } else {
      readPoint(item);
    }
  }
  if (sel(5, 0)) {
    SetValueString(5, 0, comm->ReadItem(11));
    AddProgress(1);
  }
  if (sel(4, 0) || sel(4, 1)) {
    comm->SelectItem(12);
    const auto [low, high] = ScanNumbers<2>(After(Transact(*comm, "D\r"), 1));
    if (sel(4, 0))
      m_output0 = ScaleToStored(low);
    if (sel(4, 1))
      m_output100 = ScaleToStored(high);
    AddProgress(2);
  }
  if (sel(5, 1)) {
    SetValueString(5, 1, comm->ReadItem(19));
    AddProgress(1);
  }
  if (sel(5, 2)) {
    comm->SelectItem(20);
    SetValueString(5, 2, After(Transact(*comm, "DS\r"), 2));
    AddProgress(1);
  }
  auto readInfo = [&](const char *command) {
    comm->SelectItem(90);
    return After(Transact(*comm, command), 1);
  };
  if (sel(6, 0))
    m_model = readInfo("D0\r");
  if (sel(6, 1))
    m_firmware = readInfo("D2\r");
  if (sel(6, 2))
    m_serial = readInfo("D3\r");
  if (sel(6, 3)) {
    m_tag = readInfo("D6\r");
    // The device keeps an empty tag as one blank.
    if (m_tag == " ")
      m_tag.clear();
  }

  ReadModelExtras(*comm, block, item);
}

void CParKT7W::WriteTypeCode(CCommInterface &comm, int item, int code) {
  // Item 1 holds the output while the type changes; the loop test keeps it held.
  comm.WriteItem(1, "1");
  comm.WriteItem(item, FormatInt(code));
  if (!m_loopTest)
    comm.WriteItem(1, "0");
}

void CParKT7W::WriteToDevice(CCommInterface &comm, int block, int item) {
  m_transferCount = 0;
  comm.SelectGroup(1);
  VerifyDeviceModel(comm);

  auto sel = [block, item](int b, int i) { return Selected(block, item, b, i); };

  if (sel(0, 0)) {
    WriteTypeCode(comm, 10, m_inputType);
    AddProgress(1);
    // The device has reset the input range to the new type's limits.
    if (!WholeSet(block, item) && block != 2) {
      ReadFromDevice(&comm, 2, 0);
      ReadFromDevice(&comm, 2, 1);
    }
  }
  if (sel(1, 0)) {
    comm.WriteItem(18, GetValueString(1, 0));
    AddProgress(1);
  }
  if (sel(1, 1) || sel(1, 2)) {
    comm.SelectItem(31);
    Transact(comm, "DZZ" + GetValueString(1, 1) + " " + GetValueString(1, 2) + "\r");
    m_fineZeroWritten = true;
    AddProgress(2);
  }
  if (sel(1, 3)) {
    comm.SelectItem(31);
    Transact(comm, "DS" + GetValueString(1, 3) + "\r");
    AddProgress(1);
  }
  if (sel(2, 0) || sel(2, 1)) {
    comm.SelectItem(14);
    Transact(comm, "D" + GetValueString(2, 0) + " " + GetValueString(2, 1) + "\r");
    AddProgress(2);
  }
  if (sel(3, 0)) {
    comm.WriteItem(25, GetValueString(3, 0));
    AddProgress(1);
  }
  if (sel(3, 1)) {
    comm.SelectItem(62);
    Transact(comm, "DZ" + GetValueString(3, 1) + "\r");
    Transact(comm, "DW\r");
    AddProgress(1);
  }
  const bool wholeTable = block == -1 || (block == 3 && item == -1);
  const bool oneTableItem = block == 3 && item >= 2 && item < kBlock3Items;
  if (wholeTable || oneTableItem) {
    comm.SelectItem(62);
    auto writePoint = [&](int tableItem) {
      const int k = (tableItem - 2) / 2;
      const bool isX = tableItem % 2 == 0;
      Transact(comm,
               std::string(isX ? "DX" : "DY") + FormatInt(k) + "D" + GetValueString(3, tableItem) + "\r");
      AddProgress(1);
    };
    if (wholeTable) {
      for (int tableItem = 2; tableItem < kBlock3Items; ++tableItem)
        writePoint(tableItem);
    } else {
      writePoint(item);
    }
    Transact(comm, "DW\r");
  }
  if (sel(5, 0)) {
    WriteTypeCode(comm, 11, m_outputType);
    AddProgress(1);
  }
  if (sel(4, 0) || sel(4, 1)) {
    comm.SelectItem(12);
    Transact(comm, "D" + GetValueString(4, 0) + " " + GetValueString(4, 1) + "\r");
    AddProgress(2);
  }
  if (sel(5, 1)) {
    comm.WriteItem(19, GetValueString(5, 1));
    AddProgress(1);
  }
  if (sel(5, 2)) {
    comm.SelectItem(20);
    Transact(comm, "DS" + GetValueString(5, 2) + "\r");
    AddProgress(1);
  }

  // The device information is written only on explicit request, never with
  // the whole set.
  auto explicitInfo = [block, item](int i) { return block == 6 && (item == -1 || item == i); };
  if (explicitInfo(0)) {
    comm.SelectGroup(99);
    comm.SelectItem(90);
    Transact(comm, "D0" + m_model + "\r");
    comm.SelectGroup(1);
  }
  if (explicitInfo(2)) {
    comm.SelectGroup(99);
    comm.SelectItem(90);
    Transact(comm, "D3" + m_serial + "\r");
    comm.SelectGroup(1);
  }
  if (explicitInfo(3)) {
    comm.SelectItem(90);
    Transact(comm, "D6" + (m_tag.empty() ? std::string(" ") : m_tag) + "\r");
  }

  WriteModelExtras(comm, block, item);
}

void CParKT7W::WriteModelExtras(CCommInterface &, int, int) {}

void CParKT7W::ReadModelExtras(CCommInterface &, int, int) {}
