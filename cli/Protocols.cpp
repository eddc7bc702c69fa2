// Listing protocols and controllers, and checking address texts against them.
#include <cstdio>

#include "base/Format.h"
#include "base/Ini.h"
#include "base/Utf.h"
#include "cli/Commands.h"
#include "devices/Protocols.h"
#include "compiler/Parser.h"
#include "devices/Resolve.h"

namespace {

std::string RangeText(const TZmRegRule& r)
{
  if (r.Radix == radixNone) return "fixed";
  return r.FormatNumber(r.Min) + " - " + r.FormatNumber(r.Max) + (r.Step > 1 ? " step " + std::to_string(r.Step) : "");
}

const char* KindName(int32_t kind)
{
  switch (kind) {
    case kindBit: return "bit";
    case kindByte: return "byte";
    case kindWord: return "word";
    case kindDWord: return "double word";
    case kindWord2: return "word (second family)";
    default: return "invalid";
  }
}

void PrintController(const TZmController& c, std::ostream& out, const char* indent)
{
  out << indent << c.Name << " (UID " << c.UID << ")";
  if (!c.FirmName.empty()) out << ", " << c.FirmName;
  out << "\n";
  for (TZmRegRule* r : c.RegRules.Items) {
    out << indent << "  " << (r->Format.empty() ? "(invalid rule)" : r->Mask) << "  " << KindName(r->Kind) << ", "
        << RangeText(*r) << ", index " << r->Index;
    if (!r->Description.empty()) out << "  " << r->Description;
    out << "\n";
  }
}

// A protocol or controller named by its name (case-insensitive) or its UID.
template <typename T>
bool Named(const T& item, const std::string& key)
{
  int32_t uid;
  if (ParseIniInteger(key, uid) && static_cast<uint32_t>(uid) == item.UID) return true;
  return EqualsNoCase(item.Name, key);
}

}  // namespace

void ListProtocols(std::ostream& out)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  for (size_t i = 0; i < db.ProtocolCount(); ++i) {
    const TZmProtocol& p = *db.Protocol(i);
    out << p.Name << " (UID " << p.UID << ")\n";
    if (!p.Description.empty()) out << "  " << p.Description << "\n";
    out << "  default line: " << p.BaudRate << " baud, data bits index " << p.DataBit << ", parity index " << p.Parity
        << ", stop bits index " << p.StopBit << "; stations " << p.MinStationNum << " to " << p.MaxStationNum << "\n";
    for (TZmController* c : p.ControllerRefs) PrintController(*c, out, "  ");
  }
  if (TZmController* internal = db.InternalController()) {
    out << "Internal controller\n";
    PrintController(*internal, out, "  ");
  }
}

// The controller named by --controller, else the first controller of
// --protocol, else the internal controller.
static TZmController* ControllerArg(const std::string& protocol, const std::string& controller, std::string& error)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  if (!controller.empty()) {
    for (size_t i = 0; i < db.ControllerCount(); ++i)
      if (Named(*db.Controller(i), controller)) return db.Controller(i);
    error = "no controller \"" + controller + "\"";
    return nullptr;
  }
  if (!protocol.empty()) {
    for (size_t i = 0; i < db.ProtocolCount(); ++i)
      if (Named(*db.Protocol(i), protocol)) {
        if (!db.Protocol(i)->ControllerRefs.empty()) return db.Protocol(i)->ControllerRefs[0];
        error = "protocol \"" + protocol + "\" addresses no controllers";
        return nullptr;
      }
    error = "no protocol \"" + protocol + "\"";
    return nullptr;
  }
  if (TZmController* c = db.InternalController()) return c;
  error = "no controller given and no internal controller";
  return nullptr;
}

static bool DataTypeArg(const std::string& typeName, int32_t& dataType, std::string& error)
{
  dataType = typeName.empty() ? 4 : DataTypeFromName(typeName);
  if (dataType < 0 || dataType > 6) {
    error = "data type must be one of BIT, INT8S, INT8U, INT16S, INT16U, INT32S, INT32U";
    return false;
  }
  return true;
}

bool CheckAddress(const std::string& text, const std::string& protocol, const std::string& controller,
                  const std::string& typeName, int32_t count, std::ostream& out, std::string& error)
{
  TZmControllerDB& db = TZmControllerDB::Global();
  TZmController* c = ControllerArg(protocol, controller, error);
  int32_t dataType;
  if (!c || !DataTypeArg(typeName, dataType, error)) return false;
  TZmStationSplit split = SplitStation(text);
  if (split.Rest.empty()) {
    error = "\"" + text + "\" is not an address: station numbers run from 0 to 255 and end with ':'";
    return false;
  }
  TZmResolved r = MatchController(*c, split.Rest, dataType, count, kindAll);
  if (!r.Ok) {
    error = "\"" + text + "\" is not valid: " + r.Error;
    return false;
  }
  out << "Address:          " << text << "\n";
  out << "Controller:       " << c->Name << "\n";
  if (split.Station != 256) out << "Station:          " << split.Station << "\n";
  out << "Rule:             " << r.Rule->Format << " (" << r.Rule->Mask << ", " << KindName(r.Rule->Kind) << ")\n";
  out << "Register number:  " << r.Value << " (" << r.Rule->FormatNumber(r.Value) << ")\n";
  if (r.Bit >= 0) out << "Bit of the word:  " << r.Bit << "\n";
  out << "Registers:        " << r.Count << " for " << count << " x " << DataTypeName(dataType) << "\n";
  if (c == db.InternalController()) {
    uint32_t ref = kRegRefClassMemory | (TypeCodeOf(dataType) << 24);
    ref += static_cast<uint32_t>(r.Value) * 16 + static_cast<uint32_t>(r.Bit >= 0 ? r.Bit : 0);
    out << "Register reference: " << SafeFormat("0x%08X", {ref}) << "\n";
  } else {
    out << "Protocol address: " << r.ProtocolAddress << ", count " << r.ProtocolCount << "\n";
    out << "Register reference: assigned when a project is compiled (polled registers follow the internal ones)\n";
  }
  return true;
}

namespace {

std::string WordText(uint32_t w, const wxParser& p)
{
  static const char* binary[] = {"+", "-", "*", "/", "%", "==", "!=", "<", "<=", ">", ">=", "||", "&&", "&", "^", "|", "<<", ">>"};
  static const char* unary[] = {"negate", "!", "~"};
  if ((w >> 24) == 0x02 && (w & 0xFFFFFF) < 18) return binary[w & 0xFFFFFF];
  if ((w >> 24) == 0x01 && (w & 0xFFFFFF) < 3) return unary[w & 0xFFFFFF];
  if ((w >> 28) == 2 && (w & 0xFFFFFF) < p.OperandCount()) return "operand " + std::to_string(w & 0xFFFFFF) + " " + p.OperandName(w & 0xFFFFFF);
  return "";
}

}  // namespace

bool ShowExpression(const std::string& text, const std::string& protocol, const std::string& controller,
                    const std::string& typeName, std::ostream& out, std::string& error)
{
  TZmController* c = ControllerArg(protocol, controller, error);
  int32_t dataType;
  if (!c || !DataTypeArg(typeName, dataType, error)) return false;
  wxParser p(text, dataType);
  if (!p.Parse()) {
    error = "\"" + text + "\" is not a valid expression: " + p.ErrorText();
    return false;
  }
  bool internal = c == TZmControllerDB::Global().InternalController();
  out << "Expression: " << text << "\n";
  out << "Registers (" << c->Name << "):\n";
  for (size_t i = 0; i < p.OperandCount(); ++i) {
    int32_t type = DataTypeOfCode(p.OperandType(i));
    TZmStationSplit split = SplitStation(p.OperandName(i));
    TZmResolved r;
    if (!split.Rest.empty()) r = MatchController(*c, split.Rest, type, 1, kindAll);
    if (!r.Ok) {
      error = "operand " + p.OperandName(i) + " is not a register of " + c->Name;
      return false;
    }
    out << "  " << i << ": " << p.OperandName(i) << " as " << DataTypeName(type) << ": " << r.Rule->Mask << " register "
        << r.Value;
    if (r.Bit >= 0) out << " bit " << r.Bit;
    uint32_t ref = 0x20000000 | (p.OperandType(i) << 24);
    if (internal) {
      ref += static_cast<uint32_t>(r.Value) * 16 + static_cast<uint32_t>(r.Bit >= 0 ? r.Bit : 0);
      out << ", reference " << SafeFormat("0x%08X", {ref});
    } else {
      out << ", protocol address " << r.ProtocolAddress;
    }
    out << "\n";
    p.SetOperandValue(i, ref);
  }
  // Polled registers get their memory offsets when a project is compiled;
  // until then the operands show as their index.
  if (internal) p.Finish();
  out << "Program (" << p.Program.size() << " words, stack depth " << p.StackDepth() << "):\n";
  for (size_t i = 0; i < p.Program.size(); ++i) {
    uint32_t w = p.Program[i];
    if (w == kParserConstant && i + 1 < p.Program.size()) {
      out << "  " << SafeFormat("%08X %08X", {w, p.Program[i + 1]}) << "  constant " << static_cast<int32_t>(p.Program[i + 1]) << "\n";
      ++i;
      continue;
    }
    out << "  " << SafeFormat("%08X", {w}) << "           " << WordText(w, p) << "\n";
  }
  if (p.StackDepth() > kPanelStackDepth)
    out << "Warning: the panel evaluates at most " << kPanelStackDepth << " values at once; this expression needs "
        << p.StackDepth() << ".\n";
  return true;
}
