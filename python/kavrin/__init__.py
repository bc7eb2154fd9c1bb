"""Reading what the simulators and simmgr write, into plain Python objects and (with pandas)
data frames; running a study through simmgr; and the study report (`python3 -m kavrin report`)."""
from .manager import (ExperimentResult, Percentile, StudyResults, Variable, find_simmgr, read_manager_csv,
                      read_manager_json, run_simmgr, run_study)
from .resultfiles import Record, ResultFile, read_ascii_result_file, read_binary_result_file, read_result_file
from .sidecars import (Experiment, Global, PerformanceVariable, Row, Simulator, Study, read_pv, read_pvkind,
                       read_simulator, read_study)

__all__ = [
    "Experiment", "ExperimentResult", "Global", "Percentile", "PerformanceVariable", "Record", "ResultFile", "Row",
    "Simulator", "Study", "StudyResults", "Variable", "find_simmgr", "read_ascii_result_file",
    "read_binary_result_file", "read_manager_csv", "read_manager_json", "read_pv", "read_pvkind",
    "read_result_file", "read_simulator", "read_study", "run_simmgr", "run_study",
]
