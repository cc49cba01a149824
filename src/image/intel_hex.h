// Intel HEX text read as the equivalent raw firmware file, so the conversion
// of an Intel HEX file is the conversion of a raw file and gives the same
// bytes by construction.
//
// Lines are ':' then hex digit pairs: byte count, 16-bit offset, record type,
// data, checksum (the two's complement of the sum of the other bytes). A line
// ends at LF, CR or CR LF; spaces and tabs around a line and blank lines are
// allowed, and a UTF-8 byte order mark before the first line is skipped. A
// line may hold at most kIntelHexMaxLine characters (blanks included). Types:
//   00 data: becomes one raw data record (more when it wraps in a segment);
//   01 end of file: no data; only blank lines may follow;
//   02 extended segment address (2 bytes): later addresses are base * 16 +
//      offset, the offset wrapping within the 64 KiB segment;
//   04 extended linear address (2 bytes): later addresses are base << 16 +
//      offset, wrapping at 2^32 like a raw record's address;
//   03, 05 start addresses (4 bytes): checked and ignored.
// Before any 02 or 04 record the linear base is 0. The raw stream is a
// 14-byte file header of zeros, then for each data record the raw data
// record (type 1, kind 0, word 0, address, byte count, big-endian) and its
// bytes, in line order; it ends at the end-of-file record.
//
// The first malformed line stops the stream: read returns 0, failed() is true
// and failure() names the reason and the 1-based line. The whole text after
// the end-of-file record is read to check it is blank. Memory is bounded
// (a 4 KiB text chunk, one line, one record) whatever the input size, and so
// is time: the source reads at most a text limit of bytes (kIntelHexTextLimit
// unless the caller sets another), so endless blank lines or start-address
// records end with textTooLong, and a line stops at its limit without reading
// on to its end (an endless line of NUL bytes ends with lineTooLong).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/byte_source.h"

namespace otawrap {

enum class IntelHexError : std::uint8_t {
  none,
  missingStartCode,    // a non-blank line that does not start with ':'
  badHexDigit,         // a character other than a hex digit after ':'
  badRecordLength,     // odd digit count, under 5 bytes, byte count not the data
                       // length, or wrong length for the type
  lineTooLong,         // more than kIntelHexMaxLine characters
  textTooLong,         // more than the text limit
  checksumMismatch,    // the bytes do not sum to 0 modulo 256
  unknownRecordType,   // a type other than 00..05
  dataAfterEndOfFile,  // a non-blank line after the end-of-file record
  missingEndOfFile,    // the text ends without an end-of-file record
  readFailed,          // the text source failed
};

struct IntelHexFailure {
  IntelHexError error;
  // 1-based line of the fault; for missingEndOfFile the last line (0 for an
  // empty text); for readFailed the line being read.
  std::uint64_t line;
};

// A record of 255 data bytes takes 521 characters; the rest is room for blanks.
inline constexpr std::size_t kIntelHexMaxLine = 1024;
// The same 256 MiB as a raw input: text, not data, counts against it.
inline constexpr std::uint64_t kIntelHexTextLimit = std::uint64_t{256} * 1024 * 1024;

class IntelHexSource final : public ByteSource {
 public:
  // text must outlive this source; at most textLimit bytes of it are read.
  explicit IntelHexSource(ByteSource& text, std::uint64_t textLimit = kIntelHexTextLimit);

  std::size_t read(std::uint8_t* out, std::size_t capacity) override;
  // True once the text has turned out malformed or unreadable.
  bool failed() const override { return failure_.error != IntelHexError::none; }
  IntelHexFailure failure() const { return failure_; }

 private:
  // Fills pending_ with the raw bytes of the next data record, or sets done_
  // or failure_.
  void produce();
  // Reads the next line into line_ (trimmed); false at the end of the text.
  bool nextLine();
  bool nextChar(char& c);
  // Why the text ended: over the limit, a failed read, else clean.
  IntelHexError endError(IntelHexError clean) const;
  void fail(IntelHexError error) { failure_ = {error, lineNumber_}; }
  void handleRecord();
  void appendRawRecord(std::uint32_t address, const std::uint8_t* data, std::size_t length);

  ByteSource& text_;
  std::vector<std::uint8_t> chunk_;
  std::size_t chunkBegin_ = 0;
  std::size_t chunkEnd_ = 0;
  bool textEnded_ = false;
  std::uint64_t textRead_ = 0;
  std::uint64_t textLimit_;
  bool overLimit_ = false;
  bool afterCarriageReturn_ = false;  // an LF right here ends no line
  std::vector<char> line_;
  bool lineTooLong_ = false;
  std::uint64_t lineNumber_ = 0;
  std::vector<std::uint8_t> record_;  // the decoded bytes of the current line
  std::vector<std::uint8_t> pending_;
  std::size_t pendingBegin_ = 0;
  std::uint32_t base_ = 0;
  bool segmented_ = false;
  bool done_ = false;
  IntelHexFailure failure_{IntelHexError::none, 0};
};

}  // namespace otawrap
