// Observations of every performance variable for up to _maxNumReports reports: one row per
// variable, each with its own count. The run drivers fill a pair of packets (values and squared
// values); the output step encodes them. A packet owns both of its arrays.
#ifndef KAVRIN_DATAPACKET_H
#define KAVRIN_DATAPACKET_H

#include <cstddef>

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

  // Stores observation reportNum of variable pv; both indices are checked (a write past a row
  // would land in the next variable's row).
  void SetObs(int pv, int reportNum, double value);
  void SetNumObs(int pv, int num);
  int GetNumObs(int pv) const;
  double* GetObsArray(int pv);
  const double* GetObsArray(int pv) const;

 private:
  int _clientId;
  int _experimentNumber;
  int _numPV;
  int _maxNumReports;
  int* _numObs;
  double* _observations;
};

#endif
