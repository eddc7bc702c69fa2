// The expression parser: postfix programs, operands, constants, and a check
// against a reference evaluator that knows only the operator precedence.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

#include "compiler/Parser.h"

namespace {

std::vector<uint32_t> ProgramOf(const std::string& text, int32_t dataType = 3)
{
  wxParser p(text, dataType);
  EXPECT_TRUE(p.Parse()) << text << ": " << p.ErrorText();
  return p.Program;
}

}  // namespace

TEST(Parser, PostfixPrograms)
{
  struct Case {
    const char* text;
    std::vector<uint32_t> program;
  } cases[] = {
      {"D100 + D101 * 2", {0x24000000, 0x24000001, 0x46000000, 2, 0x02000002, 0x02000000}},
      {"(INT32S)D100 > 10", {0x26000000, 0x46000000, 10, 0x02000009}},
      {"-D5", {0x24000000, 0x01000000}},
      {"!M1 && M2", {0x24000000, 0x01000001, 0x24000001, 0x0200000C}},
      {"D1 + D1", {0x24000000, 0x24000000, 0x02000000}},
      {"2:D100 + 1", {0x24000000, 0x46000000, 1, 0x02000000}},
      {"D100.5 | 1FH", {0x24000000, 0x46000000, 31, 0x0200000F}},
      {"17O <> 101B", {0x46000000, 15, 0x46000000, 5, 0x02000006}},
      {"(dword)A << 2 >> 1", {0x27000000, 0x46000000, 2, 0x02000010, 0x46000000, 1, 0x02000011}},
      {"a - b - c", {0x24000000, 0x24000001, 0x02000001, 0x24000002, 0x02000001}},
      {"~(a ^ b) % 3", {0x24000000, 0x24000001, 0x0200000E, 0x01000002, 0x46000000, 3, 0x02000004}},
      {"+x", {0x24000000}},
      {"(F32)Level >= 4294967295", {0x2B000000, 0x46000000, 0xFFFFFFFF, 0x0200000A}},
      {"(u16)W1 == (U16)W1", {0x25000000, 0x25000000, 0x02000005}},  // one operand entry per name and type
      {"\"2:D 1\" + \"D\\\"2\"", {0x24000000, 0x24000001, 0x02000000}},  // quotes stripped, \" kept as a quote
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramOf(c.text), c.program) << c.text;

  wxParser quoted("\"2:D 1\" + \"D\\\"2\"", 3);
  ASSERT_TRUE(quoted.Parse());
  EXPECT_EQ(quoted.OperandName(0), "2:D 1");
  EXPECT_EQ(quoted.OperandName(1), "D\"2");

  wxParser p("2:D100 + D101 + (INT8U)D100", 3);
  ASSERT_TRUE(p.Parse());
  ASSERT_EQ(p.OperandCount(), 3u);
  EXPECT_EQ(p.OperandName(0), "2:D100");
  EXPECT_EQ(p.OperandType(2), 3u);
  for (size_t i = 0; i < 3; ++i) p.SetOperandValue(i, 0x24000000 | (0x100 + i));
  ASSERT_TRUE(p.Finish());
  EXPECT_EQ(p.Program[0], 0x24000100u);
  EXPECT_EQ(p.Program[3], 0x24000102u);
}

TEST(Parser, RejectedTexts)
{
  const char* bad[] = {
      "D1 < D2 < D3", "1.5 + D1", "12A", "19O", "102B", "\"D1", "\"\"", "D1 +", "(D1", "D1)", "D1 = 2", "D1 += 2", "--D1",
      "(INT16S)5", "(BIT D1", "D1 D2", "D100.", "4294967296", "99999999999999999999", "$", "", "#D1", "[D1]",
  };
  for (const char* text : bad) {
    wxParser p(text, 3);
    EXPECT_FALSE(p.Parse()) << text;
    EXPECT_FALSE(p.ErrorText().empty()) << text;
  }
  std::string longText(4097, ' ');
  longText[0] = '1';
  wxParser tooLong(longText, 3);
  EXPECT_FALSE(tooLong.Parse());  // refused, not cut
  EXPECT_NE(tooLong.ErrorText().find("4096"), std::string::npos);
}

TEST(Parser, Constants)
{
  struct Case {
    const char* text;
    bool ok;
    uint32_t value;
  } cases[] = {
      {"100", true, 100},        {"1FH", true, 31},          {"1fh", true, 31},       {"17O", true, 15},
      {"101B", true, 5},         {"1BH", true, 27},          {"12A", false, 0},       {"-5", false, 0},
      {"18O", false, 0},         {"102b", false, 0},         {"H", false, 0},         {"4294967295", true, 0xFFFFFFFF},
      {"4294967296", false, 0},  {"FFFFFFFFH", false, 0},    {"0FFFFFFFFH", true, 0xFFFFFFFF}, {"100000000H", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t v = 0;
    EXPECT_EQ(wxParser::IsConstant(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(Parser, StackDepth)
{
  EXPECT_EQ(wxParser("D1", 3).Parse() ? 1 : 0, 1);
  struct Case {
    const char* text;
    int32_t depth;
  } cases[] = {{"D1", 1}, {"D1 + 2", 2}, {"D1 + 2 * 3", 3}, {"1+(2+(3+(4+(5+(6+(7+(8+9)))))))", 9}, {"-(D1)", 1}};
  for (const auto& c : cases) {
    wxParser p(c.text, 3);
    ASSERT_TRUE(p.Parse()) << c.text;
    EXPECT_EQ(p.StackDepth(), c.depth) << c.text;
  }
}

namespace {

// Evaluates a postfix program of constants the way a stack machine does.
int32_t RunProgram(const std::vector<uint32_t>& prog)
{
  std::vector<int32_t> st;
  for (size_t i = 0; i < prog.size(); ++i) {
    uint32_t w = prog[i];
    if (w == kParserConstant) {
      st.push_back(static_cast<int32_t>(prog[++i]));
    } else if ((w >> 24) == 1) {
      int32_t a = st.back();
      st.back() = w == 0x01000000 ? static_cast<int32_t>(0u - static_cast<uint32_t>(a)) : w == 0x01000001 ? !a : ~a;
    } else {
      int32_t b = st.back();
      st.pop_back();
      int32_t a = st.back();
      uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
      int32_t r = 0;
      switch (w & 0xFF) {
        case 0: r = static_cast<int32_t>(ua + ub); break;
        case 1: r = static_cast<int32_t>(ua - ub); break;
        case 2: r = static_cast<int32_t>(ua * ub); break;
        case 3: r = b == 0 ? 0 : (a == INT32_MIN && b == -1 ? a : a / b); break;
        case 4: r = b == 0 ? 0 : (a == INT32_MIN && b == -1 ? 0 : a % b); break;
        case 5: r = a == b; break;
        case 6: r = a != b; break;
        case 7: r = a < b; break;
        case 8: r = a <= b; break;
        case 9: r = a > b; break;
        case 10: r = a >= b; break;
        case 11: r = a || b; break;
        case 12: r = a && b; break;
        case 13: r = a & b; break;
        case 14: r = a ^ b; break;
        case 15: r = a | b; break;
        case 16: r = static_cast<int32_t>(ua << (ub & 31)); break;
        case 17: r = a >> (b & 31); break;
      }
      st.back() = r;
    }
  }
  return st.empty() ? 0 : st.back();
}

// Reference: shunting-yard over a flat token list with the documented
// precedence levels, evaluating directly. Shares nothing with the parser.
int32_t Reference(const std::vector<std::string>& toks)
{
  static const std::map<std::string, int> prec = {
      {"||", 1}, {"&&", 1}, {"==", 2}, {"!=", 2}, {"<", 2}, {"<=", 2}, {">", 2}, {">=", 2}, {"&", 3}, {"^", 3},
      {"|", 3},  {"<<", 3}, {">>", 3}, {"+", 4},  {"-", 4},  {"*", 5},  {"/", 5},  {"%", 5}};
  static const std::map<std::string, uint32_t> word = {
      {"+", 0}, {"-", 1}, {"*", 2}, {"/", 3}, {"%", 4}, {"==", 5}, {"!=", 6}, {"<", 7}, {"<=", 8}, {">", 9},
      {">=", 10}, {"||", 11}, {"&&", 12}, {"&", 13}, {"^", 14}, {"|", 15}, {"<<", 16}, {">>", 17}};
  std::vector<int32_t> vals;
  std::vector<std::string> ops;
  auto apply = [&](const std::string& op) {
    if (op == "u-" || op == "u!" || op == "u~") {
      uint32_t w = op == "u-" ? 0x01000000 : op == "u!" ? 0x01000001 : 0x01000002;
      vals.back() = RunProgram({kParserConstant, static_cast<uint32_t>(vals.back()), w});
      return;
    }
    int32_t b = vals.back();
    vals.pop_back();
    vals.back() = RunProgram({kParserConstant, static_cast<uint32_t>(vals.back()), kParserConstant,
                              static_cast<uint32_t>(b), 0x02000000 | word.at(op)});
  };
  bool expectOperand = true;
  for (const std::string& t : toks) {
    if (expectOperand && (t == "-" || t == "!" || t == "~" || t == "+")) {
      if (t != "+") ops.push_back("u" + t);
      continue;
    }
    if (t == "(") {
      ops.push_back(t);
      continue;
    }
    if (t == ")") {
      while (ops.back() != "(") {
        apply(ops.back());
        ops.pop_back();
      }
      ops.pop_back();
      while (!ops.empty() && ops.back()[0] == 'u') {
        apply(ops.back());
        ops.pop_back();
      }
      expectOperand = false;
      continue;
    }
    if (prec.count(t)) {
      while (!ops.empty() && ops.back() != "(" && ops.back()[0] != 'u' && prec.at(ops.back()) >= prec.at(t)) {
        apply(ops.back());
        ops.pop_back();
      }
      ops.push_back(t);
      expectOperand = true;
      continue;
    }
    vals.push_back(static_cast<int32_t>(std::stoul(t)));
    while (!ops.empty() && ops.back()[0] == 'u') {
      apply(ops.back());
      ops.pop_back();
    }
    expectOperand = false;
  }
  while (!ops.empty()) {
    apply(ops.back());
    ops.pop_back();
  }
  return vals.back();
}

// Random texts the grammar accepts: at most one comparison between two
// level-3 operands, one unary operator before a primary.
struct Gen {
  std::mt19937 rng{12345};
  int Pick(int n) { return static_cast<int>(rng() % n); }
  void Level(int level, int depth, std::vector<std::string>& out)
  {
    static const std::vector<std::vector<std::string>> ops = {
        {}, {"||", "&&"}, {"==", "!=", "<", "<=", ">", ">="}, {"&", "^", "|", "<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
    if (level == 6) {
      if (Pick(4) == 0) out.push_back(std::string(1, "-!~+"[Pick(4)]));
      if (depth < 2 && out.size() < 40 && Pick(6) == 0) {
        out.push_back("(");
        Level(1, depth + 1, out);
        out.push_back(")");
      } else {
        out.push_back(std::to_string(Pick(3) == 0 ? rng() : rng() % 20));
      }
      return;
    }
    Level(level + 1, depth, out);
    int repeats = out.size() > 40 ? 0 : level == 2 || depth > 0 ? Pick(2) : Pick(3);
    for (int i = 0; i < repeats; ++i) {
      out.push_back(ops[level][Pick(static_cast<int>(ops[level].size()))]);
      Level(level + 1, depth, out);
    }
  }
};

}  // namespace

TEST(Parser, AgreesWithAReferenceEvaluator)
{
  Gen gen;
  for (int n = 0; n < 3000; ++n) {
    std::vector<std::string> toks;
    gen.Level(1, 0, toks);
    std::string text;
    for (const auto& t : toks) text += t + " ";
    wxParser p(text, 5);
    ASSERT_TRUE(p.Parse()) << text << ": " << p.ErrorText();
    ASSERT_EQ(RunProgram(p.Program), Reference(toks)) << text;
  }
}
