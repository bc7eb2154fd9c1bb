"""Data frames (pandas) of what the readers return: one column per global variable."""
from __future__ import annotations

from pathlib import Path
from typing import TYPE_CHECKING

from .manager import StudyResults, read_manager_csv, read_manager_json
from .resultfiles import ResultFile
from .sidecars import Study

if TYPE_CHECKING:
    import pandas


def _pandas():
    try:
        import pandas
    except ImportError as e:  # pragma: no cover - depends on the machine
        raise ImportError("data frames need pandas (Debian: python3-pandas)") from e
    return pandas


def results_frame(results: StudyResults | str | Path) -> "pandas.DataFrame":
    """One row per experiment and variable from `simmgr --json`, one column per global."""
    if not isinstance(results, StudyResults):
        results = read_manager_json(results)
    return _pandas().DataFrame(results.rows())


def csv_frame(path: str | Path) -> "pandas.DataFrame":
    """`simmgr --csv` as a data frame (its own columns, one per global included)."""
    return _pandas().DataFrame(read_manager_csv(path))


def observations_frame(result: ResultFile, names: dict[int, str] | None = None,
                       study: Study | None = None) -> "pandas.DataFrame":
    """One row per observation of a result file, one column per variable (named after `names`
    when given), then the experiment and, with the study, one column per global variable."""
    pd = _pandas()
    columns = {}
    for index in sorted(result.values):
        columns[(names or {}).get(index, f"pv{index}")] = pd.Series(result.values[index], dtype=float)
    frame = pd.DataFrame(columns)
    frame.insert(0, "observation", range(len(frame)))
    experiment = result.experiment
    frame["experiment"] = experiment
    if study is not None and experiment is not None:
        try:
            e = study.experiment(experiment)
        except KeyError:
            e = None
        frame["experiment_name"] = e.name if e else None
        for g in study.globals:
            frame[g.name] = e.values.get(g.name) if e else None
    return frame
