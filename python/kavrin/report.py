"""A study report: one self-contained HTML file from `simmgr --json`, with SVG plots drawn by
matplotlib (the estimate and its interval against every swept global variable, histograms of
the replications), the tables, each experiment's stop reason, warnings and simulator messages,
and where the figures come from."""
from __future__ import annotations

import html
import io
import math
import re
from pathlib import Path
from typing import Any, Iterable

from .manager import ExperimentResult, StudyResults, Variable, read_manager_json

STYLE = """
body { font-family: sans-serif; margin: 2em; color: #222; max-width: 1100px; }
h1, h2, h3 { font-weight: 600; }
table { border-collapse: collapse; margin: 0.6em 0 1.2em; font-size: 0.9em; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
figure.plot { margin: 0.5em 0 1em; }
figure.plot svg { max-width: 100%; height: auto; display: block; }
figcaption { font-size: 0.85em; color: #555; }
.warning { color: #a00; }
pre { background: #f4f4f4; padding: 0.5em; white-space: pre-wrap; }
"""


def _esc(value: Any) -> str:
    return html.escape("" if value is None else str(value))


def _num(value: Any, digits: int = 6) -> str:
    if value is None:
        return "-"
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return _esc(value)
    if isinstance(value, float) and not math.isfinite(value):
        return _esc(value)
    return f"{value:.{digits}g}"


def _table(header: Iterable[str], rows: Iterable[Iterable[Any]], numeric: set[int] = frozenset()) -> str:
    out = ["<table><tr>" + "".join(f"<th>{_esc(h)}</th>" for h in header) + "</tr>"]
    for row in rows:
        cells = []
        for i, cell in enumerate(row):
            if i in numeric:
                cells.append(f'<td class="num">{_num(cell)}</td>')
            else:
                cells.append(f"<td>{_esc(cell)}</td>")
        out.append("<tr>" + "".join(cells) + "</tr>")
    return "\n".join(out) + "</table>"


_figure_count = 0


def _svg(fig) -> str:
    """The figure as inline SVG, its ids made unique in the page, without XML prolog or metadata."""
    global _figure_count
    import matplotlib.pyplot as plt

    buffer = io.StringIO()
    fig.savefig(buffer, format="svg", metadata={"Date": None}, bbox_inches="tight")
    plt.close(fig)
    text = buffer.getvalue()
    text = text[text.index("<svg"):]
    text = re.sub(r"<metadata>.*?</metadata>", "", text, flags=re.S)
    _figure_count += 1
    prefix = f"f{_figure_count}-"
    text = re.sub(r'id="([^"]+)"', lambda m: f'id="{prefix}{m.group(1)}"', text)
    text = re.sub(r'href="#([^"]+)"', lambda m: f'href="#{prefix}{m.group(1)}"', text)
    text = re.sub(r"url\(#([^)]+)\)", lambda m: f"url(#{prefix}{m.group(1)})", text)
    return text


def _numeric(values: list[Any]) -> bool:
    return all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in values)


def _plot_against(results: StudyResults, name: str, swept: str) -> str:
    """The variable's estimate and interval against one swept global, one series per value of
    the other swept globals; the 5th, 50th and 95th percentiles of the replications as lines."""
    import matplotlib.pyplot as plt

    others = [g for g in results.swept() if g != swept]
    series: dict[tuple, list[tuple[ExperimentResult, Variable]]] = {}
    for e in results.experiments:
        for v in e.variables:
            if v.name == name and v.mean is not None:
                series.setdefault(tuple(e.globals.get(g) for g in others), []).append((e, v))
    xs_all = [e.globals.get(swept) for s in series.values() for e, _ in s]
    numeric = _numeric(xs_all)
    categories = list(dict.fromkeys(repr(x) for x in xs_all))
    fig, ax = plt.subplots(figsize=(6.4, 3.6))
    for key, points in series.items():
        points.sort(key=lambda ev: ev[0].globals.get(swept) if numeric else categories.index(repr(ev[0].globals.get(swept))))
        x = [e.globals.get(swept) if numeric else categories.index(repr(e.globals.get(swept))) for e, _ in points]
        y = [v.mean for _, v in points]
        low = [v.mean - v.low if v.low is not None else 0.0 for _, v in points]
        high = [v.high - v.mean if v.high is not None else 0.0 for _, v in points]
        label = ", ".join(f"{g}={k}" for g, k in zip(others, key)) or "mean"
        ax.errorbar(x, y, yerr=[low, high], marker="o", capsize=4, label=label + " (confidence interval)")
        doubtful = [(xi, v.mean) for xi, (_, v) in zip(x, points) if not v.note.startswith(("reached", "imprecise"))]
        if doubtful:
            ax.plot(*zip(*doubtful), "x", color="C3", markersize=11, markeredgewidth=2,
                    label="not to be trusted (see the table's note)")
        pct = [{round(q.p * 100): q.value for q in v.percentiles} for _, v in points]
        if all(pct) and len(series) == 1:
            for level, style in ((5, ":"), (50, "--"), (95, ":")):
                ax.plot(x, [p.get(level) for p in pct], style, color="0.45", linewidth=1,
                        label=f"{level}th percentile of replications")
    if not numeric:
        ax.set_xticks(range(len(categories)), [c.strip("'") for c in categories])
    ax.set_xlabel(swept)
    ax.set_ylabel(name)
    ax.grid(True, color="0.9")
    ax.legend(fontsize="small")
    return _svg(fig)


def _histograms(results: StudyResults, name: str) -> str:
    """One panel per experiment: the histogram of the variable's per-replication values."""
    import matplotlib.pyplot as plt

    panels = [(e, v) for e in results.experiments for v in e.variables if v.name == name and v.histogram]
    columns = min(3, len(panels))
    rows = math.ceil(len(panels) / columns)
    fig, axes = plt.subplots(rows, columns, figsize=(3.2 * columns, 2.4 * rows), squeeze=False)
    for ax in axes.flat[len(panels):]:
        ax.set_visible(False)
    for ax, (e, v) in zip(axes.flat, panels):
        edges, counts = v.histogram
        ax.stairs(counts, edges, fill=True)
        ax.set_title(e.name, fontsize="small")
        ax.tick_params(labelsize="x-small")
    fig.supxlabel(name, fontsize="small")
    fig.tight_layout()
    return _svg(fig)


def _variable_section(results: StudyResults, name: str) -> str:
    globals_ = results.global_names()
    rows, terminating = [], False
    for e in results.experiments:
        for v in e.variables:
            if v.name != name:
                continue
            pct = {round(q.p * 100): q for q in v.percentiles}
            terminating |= bool(pct)

            def show(q):
                if q is None:
                    return ""
                low = "-inf" if q.low is None else _num(q.low)
                high = "inf" if q.high is None else _num(q.high)
                return f"{_num(q.value)} [{low}, {high}]"

            rows.append([e.experiment, e.name, *[e.globals.get(g) for g in globals_], v.observations, v.mean,
                         v.low, v.high, v.relative_half_width, "yes" if v.reached else "no", v.note,
                         show(pct.get(5)), show(pct.get(50)), show(pct.get(95))])
    kind = next((v.kind for e in results.experiments for v in e.variables if v.name == name), "")
    parts = [f'<section class="variable"><h2>{_esc(name)} <small>({_esc(kind.replace("_", " "))})</small></h2>']
    swept = results.swept()
    for g in swept:
        parts.append(f'<figure class="plot">{_plot_against(results, name, g)}<figcaption>{_esc(name)}: mean and '
                     f'{_esc(results.context.get("confidence", ""))} confidence interval against {_esc(g)}'
                     "</figcaption></figure>")
    if not swept:
        parts.append("<p>No global variable is swept: the figures are in the table.</p>")
    header = ["experiment", "name", *globals_, "obs", "mean", "low", "high", "rel. half-width", "reached", "note",
              "5th percentile [interval]", "median [interval]", "95th percentile [interval]"]
    numeric = set(range(2, 2 + len(globals_) + 5))
    if not terminating:
        header, rows = header[:-3], [r[:-3] for r in rows]
    parts.append(_table(header, rows, numeric))
    if terminating:
        parts.append('<figure class="plot">' + _histograms(results, name) +
                     f"<figcaption>{_esc(name)}: histogram of the per-replication values, per experiment"
                     "</figcaption></figure>")
    parts.append("</section>")
    return "\n".join(parts)


def _experiment_section(results: StudyResults, e: ExperimentResult) -> str:
    parts = [f"<section class=\"experiment\"><h3>Experiment {e.experiment}: {_esc(e.name)}</h3>"]
    if e.globals:
        parts.append("<p>" + ", ".join(f"{_esc(k)} = {_esc(v)}" for k, v in e.globals.items()) + "</p>")
    seconds = e.raw.get("seconds")
    parts.append(f"<p>Stop reason: <b>{_esc(e.stop_reason)}</b>"
                 + (f" after {seconds:.1f} s" if isinstance(seconds, (int, float)) else "") + "</p>")
    warnings = e.warnings()
    if warnings:
        parts.append('<ul class="warning">' + "".join(f"<li>{_esc(w)}</li>" for w in warnings) + "</ul>")
    else:
        parts.append("<p>No warnings.</p>")
    processes = e.raw.get("processes", [])
    if processes:
        parts.append(_table(["client", "kind", "seed", "host", "obs", "used", "outcome", "command"],
                            [[p.get("client"), p.get("kind"), p.get("seed"), p.get("host"), p.get("observations"),
                              p.get("observations_used"), p.get("outcome"), p.get("command")] for p in processes]))
    messages = e.raw.get("messages", [])
    if messages:
        text = "\n".join(f"clients {', '.join(map(str, m['clients']))}: {m['text']}" for m in messages)
        if e.raw.get("messages_not_kept"):
            text += f"\n({e.raw['messages_not_kept']} more lines not kept)"
        parts.append(f"<p>Simulator messages (standard error, each distinct line once):</p><pre>{_esc(text)}</pre>")
    else:
        parts.append("<p>No simulator messages.</p>")
    parts.append("</section>")
    return "\n".join(parts)


def _provenance(results: StudyResults) -> str:
    p, c = results.provenance, results.context
    rows = [
        ("simmgr version", p.get("simmgr_version")),
        ("model description (SHA-256)", p.get("description_sha256") or "none (a hand-written model)"),
        ("started", f"{p.get('start_time', '')} on {p.get('manager_host', '')}"),
        ("command", " ".join(p.get("command", []))),
        ("simulator", c.get("simulator_command")),
        ("hosts", " ".join(p.get("hosts", []))),
        ("run kind", c.get("run_kind")),
        ("generator", c.get("generator")),
        ("seed", f"{p.get('seed')} ({c.get('jobs')} jobs per experiment; every process's seed is listed "
                 "under its experiment)"),
        ("confidence, precision", f"{c.get('confidence')}, {c.get('precision')}"),
        ("min-obs, max-obs, time limit", f"{c.get('min_obs')}, {c.get('max_obs') or 'none'}, "
                                         f"{c.get('time_limit') or 'none'}"),
    ]
    if c.get("from_files"):
        rows.append(("read from files", " ".join(c["from_files"])))
    if results.raw.get("interrupted"):
        rows.append(("interrupted", "yes: the figures hold what was collected"))
    return "<section id=\"provenance\"><h2>Provenance</h2>" + _table(["", ""], rows) + "</section>"


def render_report(results: StudyResults | str | Path, title: str | None = None) -> str:
    """The report as one HTML text that references nothing outside itself."""
    import matplotlib

    matplotlib.use("Agg")
    matplotlib.rcParams["svg.hashsalt"] = "kavrin"  # the same ids, so the same bytes, every time
    matplotlib.rcParams["svg.fonttype"] = "path"  # text as outlines: no font needed to view it
    global _figure_count
    _figure_count = 0
    if not isinstance(results, StudyResults):
        results = read_manager_json(results)
    title = title or f"Study report: {Path(results.context.get('simulator', 'study')).name}"
    body = [f"<h1>{_esc(title)}</h1>"]
    swept = results.swept()
    body.append(f"<p>{len(results.experiments)} experiments; swept: {_esc(', '.join(swept) or 'nothing')}. "
                "Percentiles are of the per-replication values, each with a distribution-free interval from "
                "two order statistics.</p>")
    body += [_variable_section(results, name) for name in results.variable_names()]
    body.append("<h2>Experiments</h2>")
    body += [_experiment_section(results, e) for e in results.experiments]
    body.append(_provenance(results))
    return ("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
            f"<title>{_esc(title)}</title><style>{STYLE}</style></head><body>\n" + "\n".join(body) +
            "\n</body></html>\n")


def write_report(results: StudyResults | str | Path, path: str | Path, title: str | None = None) -> None:
    Path(path).write_text(render_report(results, title), encoding="utf-8")
