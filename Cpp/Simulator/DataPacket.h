// Observations of every performance variable for up to _maxNumReports reports: one row per
// variable, each with its own count. The run drivers fill a pair of packets (values and squared
// values); the output step encodes them. A packet owns its rows.
//
// A row's storage grows as observations arrive (doubling), so memory follows what a report
// actually holds rather than the report size, which may be huge; a recycled packet keeps the
// storage it grew.
#ifndef KAVRIN_SIMULATOR_DATAPACKET_H
#define KAVRIN_SIMULATOR_DATAPACKET_H

#include <cstddef>
#include <vector>

class DataPacket {
 public:
  DataPacket(int clientId, int experimentNumber, int numPV, int maxNumReports);
  ~DataPacket();
  DataPacket(const DataPacket&) = delete;
  DataPacket& operator=(const DataPacket&) = delete;

  void SetClientId(int id) { _clientId = id; }
  void SetExperimentNum(int num) { _experimentNumber = num; }
  int GetClientId() const { return _clientId; }
  int GetExperimentNum() const { return _experimentNumber; }
  int GetNumPV() const { return _numPV; }
  int GetMaxNumReports() const { return _maxNumReports; }

  // Stores observation reportNum of variable pv; both indices are checked against the packet's
  // shape (a row holds at most _maxNumReports observations). Slots never written read 0.0.
  void SetObs(int pv, int reportNum, double value);
  void SetNumObs(int pv, int num);
  int GetNumObs(int pv) const;
  // The start of row pv; at least GetNumObs(pv) observations can be read from it.
  double* GetObsArray(int pv);
  const double* GetObsArray(int pv) const;
  // Observations row pv has room for without growing (for tests of the growth).
  size_t GetRowStorage(int pv) const;

 private:
  void Grow(int pv, int count);

  int _clientId;
  int _experimentNumber;
  int _numPV;
  int _maxNumReports;
  std::vector<int> _numObs;
  std::vector<std::vector<double>> _rows;
};

#endif
