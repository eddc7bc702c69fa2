#pragma once
// The expression parser of read bindings: turns a text such as
// "D100 + D101 * 2" into a postfix program of 32-bit words that the panel
// evaluates, with a table of the operand names for the caller to resolve.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Program words.
inline constexpr uint32_t kParserOperand = 0x20000000;   // | type code << 24 | operand index
inline constexpr uint32_t kParserConstant = 0x46000000;  // followed by the 32-bit value
inline constexpr size_t kMaxExpressionText = 4096;
// The panel evaluates programs on a stack of this many values.
inline constexpr int32_t kPanelStackDepth = 8;

class wxParser {
public:
  struct Operand {
    std::string Name;
    uint32_t TypeCode = 0;
    uint32_t Value = 0;  // the resolved word the caller sets
  };

  // The text is copied; dataType is the binding's data type (0..7).
  wxParser(std::string_view text, int32_t defaultDataType);

  // Parses the whole text; true when it is one valid expression.
  bool Parse();
  bool Ok() const { return Token == 0 && Errors.empty(); }

  size_t OperandCount() const { return Operands.size(); }
  const std::string& OperandName(size_t i) const { return Operands[i].Name; }
  uint32_t OperandType(size_t i) const { return Operands[i].TypeCode; }
  void SetOperandValue(size_t i, uint32_t word)
  {
    if (i < Operands.size()) Operands[i].Value = word;
  }
  // Replaces every operand word by its operand's value (a constant marker is
  // followed by exactly one payload word); false for an index out of range.
  bool Finish();
  // Deepest stack the program needs when evaluated.
  int32_t StackDepth() const;

  // The numeric constant syntax: decimal digits, or digits with a final
  // H (hexadecimal), O (octal) or B (binary). False for anything else and
  // for values that do not fit in 32 bits.
  static bool IsConstant(std::string_view text, uint32_t& value);

  // Why parsing failed, in words a user can act on; empty when it did not.
  std::string ErrorText() const;

  std::u32string Text;
  size_t Position = 0;
  int32_t Token = 0;
  size_t TokenStart = 0;
  uint32_t DefaultType = 4;
  std::vector<Operand> Operands;
  std::vector<uint32_t> Errors;
  std::vector<uint32_t> Program;

private:
  void Next();
  void Fail(uint32_t code);
  std::string TokenText() const;
  void Level1();
  void Level2();
  void Level3();
  void Level4();
  void Level5();
  void Level6();
  void Primary();
  void EmitOperand(const std::string& name, uint32_t typeCode);
  bool Failed = false;
  bool TooLong = false;
};

// Error words recorded in wxParser::Errors.
enum : uint32_t {
  parserErrorSyntax = 1,
  parserErrorBadNumber = 2,
  parserErrorParenthesis = 3,
  parserErrorTooLong = 4,
  parserErrorReal = 5,
};
