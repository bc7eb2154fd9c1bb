#include "Simulator/DataPacket.h"

#include <new>

#include "BaseClasses/debug.h"

DataPacket::DataPacket(int clientId, int experimentNumber, int numPV, int maxNumReports)
    : _clientId(clientId),
      _experimentNumber(experimentNumber),
      _numPV(numPV < 0 ? 0 : numPV),
      _maxNumReports(maxNumReports < 0 ? 0 : maxNumReports),
      _numObs(nullptr),
      _observations(nullptr) {
  // size_t arithmetic: numPV x maxNumReports overflows an int for large report sizes.
  const size_t cells = static_cast<size_t>(_numPV) * static_cast<size_t>(_maxNumReports);
  _numObs = new int[static_cast<size_t>(_numPV) + 1]();
  _observations = new double[cells + 1]();
}

DataPacket::~DataPacket() {
  delete[] _numObs;
  delete[] _observations;
}

void DataPacket::SetObs(int pv, int reportNum, double value) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV && reportNum >= 0 && reportNum < _maxNumReports,
               "DataPacket", __LINE__);
  _observations[static_cast<size_t>(pv) * static_cast<size_t>(_maxNumReports) +
                static_cast<size_t>(reportNum)] = value;
}

void DataPacket::SetNumObs(int pv, int num) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV && num >= 0 && num <= _maxNumReports, "DataPacket",
               __LINE__);
  _numObs[pv] = num;
}

int DataPacket::GetNumObs(int pv) const {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", __LINE__);
  return _numObs[pv];
}

double* DataPacket::GetObsArray(int pv) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", __LINE__);
  return _observations + static_cast<size_t>(pv) * static_cast<size_t>(_maxNumReports);
}

const double* DataPacket::GetObsArray(int pv) const {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", __LINE__);
  return _observations + static_cast<size_t>(pv) * static_cast<size_t>(_maxNumReports);
}
