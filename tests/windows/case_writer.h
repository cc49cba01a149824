// The differential cases' shared parts: the writer of the case list and its
// input files, the signers, small helpers, and the subjects (one function per
// group of cases; see make_cases.cpp for the list format and the
// expectations). A new group of cases goes into a subject function, in its own
// file when it is large, called from main in make_cases.cpp.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "support/raw_file_generator.h"
#include "support/vector_file.h"

namespace otawrap::test::cases {

using Bytes = std::vector<std::uint8_t>;
using Args = std::vector<std::string>;

// Where a case finds the input files, from its working directory
// run/<side>/<case>/.
inline const std::string kIn = "../../../in/";

class CaseWriter {
 public:
  explicit CaseWriter(const std::string& dir)
      : dir_(dir), list_(dir + "/cases.txt", std::ios::binary) {}

  // Writes an input file into in/ and returns the path a case uses for it.
  std::string input(const std::string& name, const Bytes& bytes) {
    ok_ = otawrap::test::writeFileBytes(dir_ + "/in/" + name, bytes) && ok_;
    return kIn + name;
  }
  std::string input(const std::string& name, const std::string& text) {
    return input(name, Bytes(text.begin(), text.end()));
  }

  void step(const std::string& name, const Args& args, const char* expectation = "same") {
    list_ << name << '\x1f' << expectation;
    for (const std::string& a : args) list_ << '\x1f' << a;
    list_ << '\n';
    ++steps_;
  }

  // Writes head, then zeros up to size bytes, without storing the zeros
  // (a sparse file where the file system allows): a large input that costs
  // no disk space.
  std::string sparseInput(const std::string& name, const std::string& head, std::uint64_t size);

  const std::string& dir() const { return dir_; }
  bool ok() const { return ok_ && static_cast<bool>(list_); }
  int steps() const { return steps_; }

 private:
  std::string dir_;
  std::ofstream list_;
  bool ok_ = true;
  int steps_ = 0;
};

// Signing credentials written by writeSigners; fromCa: issued by the test CA
// of seed 4711, so --ca-key verifies them.
struct Signer {
  std::string path;
  bool fromCa;
};

// A generated raw file (tests/support/raw_file_generator.h) with the given
// identifiers and about dataBytes of data; trailer adds ignored records.
Bytes raw(std::uint32_t seed, std::size_t dataBytes, std::uint16_t manufacturer,
          std::uint16_t type, std::uint32_t version, bool trailer);

// value in upper-case hex, zero-padded to digits.
std::string hex(std::uint64_t value, int digits);

// Subjects in their own files.
// build, extract and index, Intel HEX conversions (toolkit_cases.cpp).
void toolkitCases(CaseWriter& w, const std::vector<Signer>& signers);
// Inputs of 3 GB: as on a 64-bit build on every build (large_file_cases.cpp).
void largeFileCases(CaseWriter& w);

}  // namespace otawrap::test::cases
