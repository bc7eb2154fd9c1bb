// The manager's side of the simulator link: big-endian readers and an incremental
// reader that cuts the byte stream of one connection into records. The reader owns
// the bytes it has been fed and not yet consumed; records it returns are copies.
#ifndef KAVRIN_SIMMGR_WIRE_H
#define KAVRIN_SIMMGR_WIRE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simmgr {

uint16_t GetU16(const uint8_t* p);
uint32_t GetU32(const uint8_t* p);
double GetDouble(const uint8_t* p);

// Command bytes the manager sends.
enum Command : uint8_t { CmdAreYouThere = 1, CmdQuit = 2, CmdDetach = 3 };

// Reply record: 10 bytes, its length field counts the whole record.
struct ReplyRecord {
  uint8_t marker = 0;  // 0xFF, or 0xFE for the answer to quit
  uint8_t code = 0;    // 1 greeting / are-you-there, 2 quit, 3 detach
  uint32_t pid = 0;
};

// CPU-time record: length field 12 (bytes after the field), marker 0xFE.
struct CpuTimeRecord {
  uint8_t clientId = 0;
  uint16_t experiment = 0;
  double seconds = 0.0;
};

struct DataBlock {
  uint16_t pvIndex = 0;
  uint8_t kind = 1;  // 1 values, 2 squared values
  std::vector<double> values;
};

struct DataRecord {
  uint8_t clientId = 0;
  uint16_t experiment = 0;
  std::vector<DataBlock> blocks;
};

struct Record {
  enum Kind { Reply, CpuTime, Data } kind = Reply;
  ReplyRecord reply;
  CpuTimeRecord cpu;
  DataRecord data;
};

// The text of command 3: "name;limit;;".
std::string DetachText(const std::string& fileName, int64_t batchLimit);

class RecordReader {
 public:
  enum class Status { NeedMore, Ready, Malformed };

  // Records longer than maxRecordLength are refused rather than buffered.
  explicit RecordReader(uint32_t maxRecordLength = (1u << 28));

  void Feed(const uint8_t* p, size_t n);
  // Takes the next complete record out of the buffer. After Malformed the reader
  // stays malformed: the stream cannot be resynchronised.
  Status Next(Record& out);
  const std::string& Error() const { return _error; }
  // Bytes received that do not yet form a whole record (non-zero at EOF = cut record).
  size_t Pending() const { return _buf.size() - _start; }

 private:
  Status Fail(const std::string& why);

  std::vector<uint8_t> _buf;
  size_t _start = 0;
  uint32_t _maxLength;
  bool _broken = false;
  std::string _error;
};

}  // namespace simmgr

#endif
