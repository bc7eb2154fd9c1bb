// Byte-exact encoders for what the simulator writes about its observations: the data, CPU-time and
// reply records (shared by the manager link and the binary result file), the result file headers
// and the decimal text of one value in the ASCII file. Pure functions over caller-owned buffers;
// SimulatorClass decides where the bytes go.
#ifndef KAVRIN_SIMULATOR_RESULTRECORDS_H
#define KAVRIN_SIMULATOR_RESULTRECORDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DataPacket;

namespace ResultRecords {

constexpr int kBinHeaderSize = 256;
constexpr int kFileVersion = 1;
constexpr const char* kVersionText = "Version 2.5";
constexpr size_t kCPUTimeRecordSize = 16;
constexpr size_t kReplyRecordSize = 10;
// "%.10lf" of the largest double: 309 integer digits, sign, point, ten decimals.
constexpr size_t kValueTextCapacity = 400;

// Data record of dp (kind 1 blocks) and, when dpsqr is given, of dpsqr (kind 2 blocks) into out,
// which is replaced. Only rows with a count above 0 get a block.
void EncodeDataRecord(std::vector<unsigned char>& out, int clientId, int experiment, const DataPacket* dp,
                      const DataPacket* dpsqr);

void EncodeCPUTimeRecord(unsigned char (&out)[kCPUTimeRecordSize], int clientId, int experiment,
                         double cpuSeconds);

// marker 0xFF (greeting, answers to commands 1 and 3) or 0xFE (answer to quit).
void EncodeReplyRecord(unsigned char (&out)[kReplyRecordSize], unsigned char marker, unsigned char code,
                       int32_t processId);

// Exactly kBinHeaderSize bytes: the header text, cut or padded with zero bytes.
std::string BinFileHeader(int fileVersion, uint32_t experiment, uint32_t seed,
                          const std::string& generatorName, int64_t batchRuns);

// The two header lines of the ASCII result file, each ended by a line feed.
std::string AsciiFileHeader(uint32_t experiment, uint32_t seed, const std::string& generatorName);

// "%.10lf" of d with trailing zeros removed, keeping one digit after the point; texts without a
// point (inf, nan) are left as they come. Writes into buf (at least kValueTextCapacity bytes),
// returns the length.
size_t FormatValue(char* buf, double d);

// Formats values for the ASCII file, remembering the last text: observations often repeat.
class ValueTextCache {
 public:
  // Appends the text of d to out.
  void Append(std::string& out, double d);

 private:
  bool _valid = false;
  uint64_t _bits = 0;
  size_t _len = 0;
  char _text[kValueTextCapacity];
};

// Appends dp's lines ("index,value" and, with dpsqr, ",squared") to out.
void AppendCSVLines(std::string& out, ValueTextCache& cache, const DataPacket* dp, const DataPacket* dpsqr);

}  // namespace ResultRecords

#endif
