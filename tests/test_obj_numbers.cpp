// The OBJ reader's numbers pinned against the C library: every position, texture
// coordinate and normal is atof's value (strtod(s, NULL), which atof is by
// definition, and which MinGW gives correctly rounded) narrowed to float, and every face index
// atoi's value of its piece, whichever way the reader gets there (in place or
// through its line buffer). Random lines cover plain decimals of every length,
// exponents and the forms that only strtod reads.

#include "ObjReader.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

lb_engine::ObjData parse(const std::string& text) {
  lb_engine::ObjData obj;
  lb_engine::parseOBJ(text.data(), text.size(), "numbers.obj", &obj, nullptr);
  return obj;
}

uint32_t bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// A random decimal: optional sign, 0 to 20 integer digits, an optional point
// and 0 to 20 fraction digits, an optional exponent of up to 3 digits.
std::string randomDecimal(std::mt19937_64& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); };
  std::string s;
  const int sign = pick(6);
  if (sign == 0) s += '-';
  if (sign == 1) s += '+';
  const int whole = pick(4) == 0 ? pick(21) : pick(4);
  for (int i = 0; i < whole; ++i) s += static_cast<char>('0' + pick(10));
  if (pick(3) != 0) {
    s += '.';
    const int fraction = pick(3) == 0 ? pick(21) : pick(8);
    for (int i = 0; i < fraction; ++i) s += static_cast<char>('0' + pick(10));
  }
  if (s.empty() || s == "-" || s == "+" || s == "." || s == "-." || s == "+.") s += '7';
  if (pick(5) == 0) {
    s += pick(2) ? 'e' : 'E';
    const int es = pick(3);
    if (es == 1) s += '-';
    if (es == 2) s += '+';
    const int digits = 1 + pick(3);
    for (int i = 0; i < digits; ++i) s += static_cast<char>('0' + pick(10));
  }
  return s;
}

}  // namespace

TEST(ObjNumbers, RandomDecimalsReadAsAtofNarrowedToFloat) {
  std::mt19937_64 rng(20261207);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    std::vector<std::string> tokens;
    for (int line = 0; line < 100; ++line) {
      std::string a = randomDecimal(rng), b = randomDecimal(rng), c = randomDecimal(rng);
      text += "v " + a + " " + b + " " + c + "\n";
      tokens.insert(tokens.end(), {a, b, c});
    }
    const lb_engine::ObjData obj = parse(text);
    ASSERT_EQ(obj.positions.size(), tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
      ASSERT_EQ(bits(obj.positions[i]), bits(static_cast<float>(std::strtod(tokens[i].c_str(), nullptr)))) << tokens[i];
    }
  }
}

TEST(ObjNumbers, HardCasesReadAsAtof) {
  const char* tokens[] = {"0.1",
                          "-0",
                          "-0.0",
                          "9007199254740993",
                          "9007199254740992.5",
                          "1234567890123456789",
                          "12345678901234567890",
                          "0.30000000000000004",
                          "1e22",
                          "1e23",
                          "1e-22",
                          "1e-23",
                          "4.9e-324",
                          "1e-400",
                          "1e400",
                          "-1e400",
                          "3.4028235e38",
                          "3.4028236e38",
                          "1.17549435e-38",
                          "1.4e-45",
                          "0.000000000000000000000000000001",
                          "1.",
                          ".5",
                          "-.5",
                          "+2.5",
                          "0x1p3",
                          "inf",
                          "-nan",
                          "1e+5",
                          "1E-5",
                          "007.50"};
  for (const char* token : tokens) {
    const lb_engine::ObjData obj = parse(std::string("v ") + token + " " + token + " " + token + "\n");
    ASSERT_EQ(obj.positions.size(), 3u) << token;
    const float expected = static_cast<float>(std::strtod(token, nullptr));
    if (expected != expected) {
      EXPECT_NE(obj.positions[0], obj.positions[0]) << token;
    } else {
      EXPECT_EQ(bits(obj.positions[0]), bits(expected)) << token;
    }
  }
}

// Decimals that lie within a few double steps of the midpoint between two
// adjacent floats: where narrowing is decided by the last bits of the double,
// so a quotient that is off by one unit in the last place would narrow the
// other way. Written with 15 to 17 significant digits, they stay on the
// reader's fast decimal path (at most 19 digits, power of ten within 22).
TEST(ObjNumbers, DecimalsNextToFloatMidpointsReadAsAtof) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<float> magnitude(-6.0f, 6.0f);
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const float f = std::pow(10.0f, magnitude(rng)) * (rng() % 2 ? 1.0f : -1.0f);
    const double midpoint = (static_cast<double>(f) + static_cast<double>(std::nextafter(f, 2.0f * f))) / 2;
    std::string text;
    std::vector<std::string> tokens;
    for (int digits = 15; digits <= 17; ++digits) {
      char token[64];
      std::snprintf(token, sizeof token, "%.*f", std::max(0, digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(midpoint))))), midpoint);
      tokens.push_back(token);
    }
    text = "v " + tokens[0] + " " + tokens[1] + " " + tokens[2] + "\n";
    const lb_engine::ObjData obj = parse(text);
    ASSERT_EQ(obj.positions.size(), 3u) << text;
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(bits(obj.positions[k]), bits(static_cast<float>(std::strtod(tokens[k].c_str(), nullptr)))) << tokens[k];
      ++checked;
    }
  }
  EXPECT_EQ(checked, 60000);
}

TEST(ObjNumbers, WhiteSpaceAndLineEndsAroundNumbers) {
  // Carriage returns, tabs inside tokens and several spaces: the values are
  // atof's, the rest of the line after the numbers is ignored.
  const lb_engine::ObjData obj = parse(
      "v 1.5 2.5 3.5\r\n"
      "v  4   5  6   \n"
      "v \t7 8 9 tail words\n"
      "vt 0.25 0.75 0.5\r\n"
      "vn 0 1 0\n"
      "v 1 2 3");
  EXPECT_EQ(obj.positions, (std::vector<float>{1.5f, 2.5f, 3.5f, 4, 5, 6, 7, 8, 9, 1, 2, 3}));
  EXPECT_EQ(obj.texCoords, (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(obj.normals, (std::vector<float>{0, 1, 0}));
}

TEST(ObjNumbers, RejectedNumbersAreSkippedWholeRecords) {
  // "1e" and "1x" are not whole numbers and a record with a missing number is
  // skipped; the lines after them still read.
  const lb_engine::ObjData obj = parse("v 1e 2 3\nv 1x 2 3\nv 1 2\nv 4 5 6\n");
  EXPECT_EQ(obj.positions, (std::vector<float>{4, 5, 6}));
}

TEST(ObjNumbers, RandomFaceCornersReadAsAtoiOfEachPiece) {
  std::mt19937_64 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); };
  std::string text = "v 0 0 0\nvt 0 0\nvn 0 0 1\n";
  struct Expected {
    int v, t, n;
  };
  std::vector<Expected> expected;
  for (int f = 0; f < 3000; ++f) {
    text += "f";
    const int corners = 3 + pick(2);
    for (int k = 0; k < corners; ++k) {
      // Index 1 with leading zeros or none; other pieces 1 too, so that the
      // range check passes, but written in different forms.
      const int form = pick(6);
      const std::string v = std::string(pick(3), '0') + "1";
      const std::string t = std::string(pick(2), '0') + "1";
      const std::string n = std::string(pick(2), '0') + "1";
      std::string corner;
      switch (form) {
        case 0: corner = v; break;
        case 1: corner = v + "/" + t; break;
        case 2: corner = v + "/" + t + "/" + n; break;
        case 3: corner = v + "//" + n; break;
        case 4: corner = v + "/"; break;
        default: corner = v + "/" + t + "/"; break;
      }
      text += std::string(1 + pick(2), ' ') + corner;
      if (k < 3) {
        const bool hasT = form == 1 || form == 2 || form == 5;
        const bool hasN = form == 2 || form == 3;
        expected.push_back({1, hasT ? 1 : 0, hasN ? 1 : 0});
      }
    }
    text += pick(4) == 0 ? "\r\n" : "\n";
  }
  const lb_engine::ObjData obj = parse(text);
  ASSERT_EQ(obj.faces.size() * 3, expected.size());
  for (size_t f = 0; f < obj.faces.size(); ++f) {
    for (int k = 0; k < 3; ++k) {
      const Expected& e = expected[3 * f + k];
      ASSERT_EQ(obj.faces[f].vertex[k], e.v) << "face " << f;
      ASSERT_EQ(obj.faces[f].texture[k], e.t) << "face " << f;
      ASSERT_EQ(obj.faces[f].normal[k], e.n) << "face " << f;
    }
  }
}

TEST(ObjNumbers, UnusualCornersTakeTheBufferedRules) {
  // A fourth piece after a third slash is ignored; a signed index is atoi's; a
  // ten-digit index is clamped and then fails the range check.
  lb_engine::ObjData obj = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1/9 +2 3/1/1\n");
  ASSERT_EQ(obj.faces.size(), 1u);
  EXPECT_EQ(obj.faces[0].vertex[0], 1);
  EXPECT_EQ(obj.faces[0].normal[0], 1);
  EXPECT_EQ(obj.faces[0].vertex[1], 2);
  EXPECT_EQ(obj.faces[0].texture[2], 1);
  // An empty last piece before the carriage return of a CR LF line, or before
  // one at the very end of the data, is empty to both readers (atoi of white
  // space is 0), not a number that is missing.
  struct Tail {
    const char* text;
    int texture, normal;
  };
  for (const Tail& tail : {Tail{"3/1/\r\n", 1, 0}, Tail{"3/\r\n", 0, 0}, Tail{"3//\r\n", 0, 0},
                           Tail{"3/1/\r", 1, 0}, Tail{"3/\r", 0, 0}, Tail{"3//1\r\n", 0, 1}}) {
    SCOPED_TRACE(tail.text);
    const std::string text = std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 ") + tail.text;
    lb_engine::ObjData inPlace, buffered;
    ASSERT_TRUE(lb_engine::parseOBJ(text.data(), text.size(), "cr.obj", &inPlace, nullptr));
    ASSERT_TRUE(lb_engine::parseOBJBuffered(text.data(), text.size(), "cr.obj", &buffered, nullptr));
    for (const lb_engine::ObjData* read : {&inPlace, &buffered}) {
      ASSERT_EQ(read->faces.size(), 1u);
      EXPECT_EQ(read->faces[0].vertex[2], 3);
      EXPECT_EQ(read->faces[0].texture[2], tail.texture);
      EXPECT_EQ(read->faces[0].normal[2], tail.normal);
    }
  }
  const std::string big = "v 0 0 0\nf 1 1 1234567890\n";
  lb_engine::ObjData bigObj;
  EXPECT_FALSE(lb_engine::parseOBJ(big.data(), big.size(), "big.obj", &bigObj, nullptr));
}

TEST(ObjNumbers, LinesOfAnyLengthAroundTheBufferLimit) {
  // A position record padded with spaces to 198, 199 and 200 characters: the
  // first two are read and reading goes on, the third is cut after 199
  // characters and nothing after it is read.
  for (int length : {198, 199, 200}) {
    std::string record = "v 1 2 3";
    record += std::string(static_cast<size_t>(length) - record.size() - 1, ' ') + "4";
    ASSERT_EQ(record.size(), static_cast<size_t>(length));
    const lb_engine::ObjData obj = parse(record + "\nv 5 6 7\n");
    EXPECT_EQ(obj.positions.size(), length < 200 ? 6u : 3u) << length;
  }
  // A number cut by the limit reads as its first digits.
  std::string record = "v 1 2 " + std::string(199 - 6 - 3, ' ') + "12345";
  const lb_engine::ObjData obj = parse(record + "\n");
  ASSERT_EQ(obj.positions.size(), 3u);
  EXPECT_EQ(obj.positions[2], 123.0f);
}

TEST(ObjNumbers, LimitHoldsAlsoWithMoreDataAfterTheLine) {
  // As above, with plenty of data after the line, where the reader may look
  // ahead: the cut after 199 characters is the same. A number running across
  // the limit is cut there.
  const std::string tail(1000, '\n');
  for (int length : {198, 199, 200, 230}) {
    std::string record = "v 1 2 3";
    record += std::string(static_cast<size_t>(length) - record.size() - 1, ' ') + "4";
    const lb_engine::ObjData obj = parse(record + "\nv 5 6 7\n" + tail);
    EXPECT_EQ(obj.positions.size(), length < 200 ? 6u : 3u) << length;
  }
  for (int at = 190; at <= 200; ++at) {
    // A number that starts at column `at`; the line is cut at 199.
    std::string record = "v 1 2" + std::string(static_cast<size_t>(at) - 5, ' ') + "123456789";
    const lb_engine::ObjData obj = parse(record + "\n" + tail);
    const int kept = 199 - at;
    if (kept <= 0) {
      EXPECT_EQ(obj.positions.size(), 0u) << at;  // too few numbers
    } else {
      ASSERT_EQ(obj.positions.size(), 3u) << at;
      EXPECT_EQ(obj.positions[2], std::stof(std::string("123456789").substr(0, static_cast<size_t>(kept)))) << at;
    }
    std::string face = "f 1 2" + std::string(static_cast<size_t>(at) - 5, ' ') + "3/3/3";
    const lb_engine::ObjData faces = parse("v 0 0 0\nv 0 0 0\nv 0 0 0\nvt 0 0\nvn 0 0 1\n" + face + "\n" + tail);
    if (kept <= 0) {
      EXPECT_EQ(faces.faces.size(), 0u) << at;
    } else {
      ASSERT_EQ(faces.faces.size(), 1u) << at;
      EXPECT_EQ(faces.faces[0].vertex[2], 3) << at;
      EXPECT_EQ(faces.faces[0].texture[2], kept >= 3 ? 3 : 0) << at;
      EXPECT_EQ(faces.faces[0].normal[2], kept >= 5 ? 3 : 0) << at;
    }
  }
}

TEST(ObjNumbers, MappedFileReadsLikeTheBuffer) {
  lb_test::ResTempDir dir;
  std::string text = "# grid\n";
  for (int i = 0; i < 2000; ++i) text += "v " + std::to_string(i * 0.37) + " -1.5e-3 7\nvt 0.5 0.25\nvn 0 1 0\n";
  for (int i = 1; i + 2 <= 2000; ++i) {
    text += "f " + std::to_string(i) + "/1/1 " + std::to_string(i + 1) + "/1/1 " + std::to_string(i + 2) + "/1/1\n";
  }
  const std::string path = dir.write("grid.obj", text);
  lb_engine::ObjData mapped;
  ASSERT_EQ(lb_engine::loadOBJFile(path.c_str(), &mapped, nullptr), lb_engine::ObjFileResult::kRead);
  const lb_engine::ObjData buffered = parse(text);
  EXPECT_EQ(mapped.positions, buffered.positions);
  EXPECT_EQ(mapped.texCoords, buffered.texCoords);
  EXPECT_EQ(mapped.normals, buffered.normals);
  ASSERT_EQ(mapped.faces.size(), buffered.faces.size());
  EXPECT_EQ(mapped.faces.back().vertex[2], 2000);

  lb_engine::ObjData missing;
  EXPECT_EQ(lb_engine::loadOBJFile((path + ".absent").c_str(), &missing, nullptr),
            lb_engine::ObjFileResult::kUnreadable);
  EXPECT_EQ(lb_engine::loadOBJFile(dir.path("").c_str(), &missing, nullptr), lb_engine::ObjFileResult::kUnreadable);
  const std::string bad = dir.write("bad.obj", "v 0 0 0\nf 1 2 3\n");
  lb_engine::ObjData invalid;
  EXPECT_EQ(lb_engine::loadOBJFile(bad.c_str(), &invalid, nullptr), lb_engine::ObjFileResult::kInvalid);
  const std::string empty = dir.write("empty.obj", "");
  lb_engine::ObjData none;
  EXPECT_EQ(lb_engine::loadOBJFile(empty.c_str(), &none, nullptr), lb_engine::ObjFileResult::kRead);
  EXPECT_TRUE(none.faces.empty());
}

namespace {

// Random OBJ-like text of records both plain and odd: signs, tabs, carriage
// returns, exponents, hexadecimal and special numbers, NUL bytes, slashes,
// missing pieces, long lines, and lines that are no record at all.
std::string randomSoup(std::mt19937_64& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint64_t>(n)); };
  static const char* const kWords[] = {"0",   "1",     "-1",   "+1",   "2.5",    "-0.125", "1e3",  "1E-3", "1e",
                                       ".5",  "5.",    "-.",   "0x1p3", "inf",   "nan",    "1x",   "12345678901234567890",
                                       "007", "3/3/3", "3//3", "3/",   "3/3/3/3", "//",    "/3",   "-3/3",
                                       "1\t2", "\t1",  "1\r",  "",     "99999999999", "2/2", "1/1/1"};
  static const char* const kHeads[] = {"v ", "vt ", "vn ", "f ", "v", "f", "vp ", "# ", "g ", " v ", "v\t",
                                       "vtx ", "vn", "o ", "s ", "f\t", "l "};
  std::string text;
  const int lines = 1 + pick(60);
  for (int i = 0; i < lines; ++i) {
    std::string line = kHeads[pick(17)];
    const int words = pick(6);
    for (int w = 0; w < words; ++w) {
      line += kWords[pick(32)];
      line += pick(8) == 0 ? "  " : " ";
    }
    if (pick(20) == 0) line += std::string(static_cast<size_t>(150 + pick(100)), pick(2) ? ' ' : '7');
    if (pick(40) == 0) line[static_cast<size_t>(pick(static_cast<int>(line.size()) + 1)) % (line.size() + 1)] = '\0';
    text += line;
    const int end = pick(10);
    if (end == 0) text += "\r\n";
    else if (end != 1 || i + 1 < lines) text += "\n";
  }
  // Sometimes plenty of harmless data after it, so the reader may look ahead.
  if (pick(2) == 0) text += std::string(static_cast<size_t>(pick(400)), '\n');
  return text;
}

std::vector<uint32_t> floatBits(const std::vector<float>& values) {
  std::vector<uint32_t> out;
  for (float v : values) out.push_back(bits(v));
  return out;
}

// What was written to `file` since it was last taken (or opened); the file is
// rewound for the next writer. A temporary file rather than a memory stream,
// which not every C library has.
std::string takeText(std::FILE* file) {
  const long end = std::ftell(file);
  std::rewind(file);
  std::string text(static_cast<size_t>(end > 0 ? end : 0), '\0');
  if (!text.empty()) text.resize(std::fread(&text[0], 1, text.size(), file));
  std::rewind(file);
  return text;
}

}  // namespace

TEST(ObjNumbers, InPlaceReadingMatchesTheBufferedReaderOnRandomText) {
  std::mt19937_64 rng(99);
  std::FILE* fastMessages = std::tmpfile();
  std::FILE* bufferedMessages = std::tmpfile();
  ASSERT_NE(fastMessages, nullptr);
  ASSERT_NE(bufferedMessages, nullptr);
  struct Closer {
    std::FILE* a;
    std::FILE* b;
    ~Closer() {
      std::fclose(a);
      std::fclose(b);
    }
  } closer{fastMessages, bufferedMessages};
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomSoup(rng);
    lb_engine::ObjData fast, buffered;
    const bool fastOk = lb_engine::parseOBJ(text.data(), text.size(), "soup.obj", &fast, fastMessages);
    const bool bufferedOk =
        lb_engine::parseOBJBuffered(text.data(), text.size(), "soup.obj", &buffered, bufferedMessages);
    const std::string fastSaid = takeText(fastMessages), bufferedSaid = takeText(bufferedMessages);
    ASSERT_EQ(fastOk, bufferedOk) << "round " << round;
    ASSERT_EQ(fastSaid, bufferedSaid) << "round " << round;
    ASSERT_EQ(fast.faults, buffered.faults) << "round " << round;
    ASSERT_EQ(fast.faultCount, buffered.faultCount) << "round " << round;
    ASSERT_EQ(floatBits(fast.positions), floatBits(buffered.positions)) << "round " << round;
    ASSERT_EQ(floatBits(fast.texCoords), floatBits(buffered.texCoords)) << "round " << round;
    ASSERT_EQ(floatBits(fast.normals), floatBits(buffered.normals)) << "round " << round;
    ASSERT_EQ(fast.hasNormals, buffered.hasNormals) << "round " << round;
    ASSERT_EQ(fast.hasTexCoords, buffered.hasTexCoords) << "round " << round;
    ASSERT_EQ(fast.faceLines, buffered.faceLines) << "round " << round;
    ASSERT_EQ(fast.faces.size(), buffered.faces.size()) << "round " << round;
    for (size_t f = 0; f < fast.faces.size(); ++f) {
      for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(fast.faces[f].vertex[k], buffered.faces[f].vertex[k]) << "round " << round;
        ASSERT_EQ(fast.faces[f].texture[k], buffered.faces[f].texture[k]) << "round " << round;
        ASSERT_EQ(fast.faces[f].normal[k], buffered.faces[f].normal[k]) << "round " << round;
      }
    }
  }
}
