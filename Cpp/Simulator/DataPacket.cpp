#include "Simulator/DataPacket.h"

#include "BaseClasses/debug.h"

DataPacket::DataPacket(int clientId, int experimentNumber, int numPV, int maxNumReports)
    : _clientId(clientId),
      _experimentNumber(experimentNumber),
      _numPV(numPV < 0 ? 0 : numPV),
      _maxNumReports(maxNumReports < 0 ? 0 : maxNumReports),
      _numObs(static_cast<size_t>(_numPV), 0),
      _rows(static_cast<size_t>(_numPV)) {}

DataPacket::~DataPacket() = default;

void DataPacket::Grow(int pv, int count) {
  std::vector<double>& row = _rows[static_cast<size_t>(pv)];
  // resize grows the capacity geometrically, and new slots are 0.0.
  if (row.size() < static_cast<size_t>(count)) row.resize(static_cast<size_t>(count), 0.0);
}

void DataPacket::SetObs(int pv, int reportNum, double value) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV && reportNum >= 0 && reportNum < _maxNumReports, "DataPacket", 23);
  Grow(pv, reportNum + 1);
  _rows[static_cast<size_t>(pv)][static_cast<size_t>(reportNum)] = value;
}

void DataPacket::SetNumObs(int pv, int num) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV && num >= 0 && num <= _maxNumReports, "DataPacket", 29);
  Grow(pv, num);
  _numObs[static_cast<size_t>(pv)] = num;
}

int DataPacket::GetNumObs(int pv) const {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", 35);
  return _numObs[static_cast<size_t>(pv)];
}

double* DataPacket::GetObsArray(int pv) {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", 40);
  return _rows[static_cast<size_t>(pv)].data();
}

const double* DataPacket::GetObsArray(int pv) const {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", 45);
  return _rows[static_cast<size_t>(pv)].data();
}

size_t DataPacket::GetRowStorage(int pv) const {
  KAVRIN_CHECK(pv >= 0 && pv < _numPV, "DataPacket", 50);
  return _rows[static_cast<size_t>(pv)].capacity();
}
