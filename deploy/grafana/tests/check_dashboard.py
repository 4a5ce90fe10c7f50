#!/usr/bin/env python3
"""Evaluates every query of a Grafana dashboard against a Prometheus server.

    check_dashboard.py DASHBOARD PROMETHEUS_URL INSTANCE

The dashboard's variable $instance is set to INSTANCE and its range variables to five minutes.
Each panel's every target must evaluate without an error and return at least one series: the
server the Prometheus scraped has data for every panel. Prints one line a query and exits 1 when
any fails.
"""
import json
import re
import sys
import urllib.parse
import urllib.request


def targets(dashboard):
    for panel in dashboard["panels"]:
        for inner in [panel] + panel.get("panels", []):
            for target in inner.get("targets", []):
                yield inner["title"], target["expr"]


def expanded(expr, instance):
    expr = expr.replace("$instance", re.escape(instance).replace("\\", "\\\\"))
    return re.sub(r"\$__(rate_interval|interval|range)", "5m", expr)


def evaluate(url, expr):
    query = urllib.parse.urlencode({"query": expr})
    with urllib.request.urlopen(f"{url}/api/v1/query?{query}", timeout=10) as answer:
        return json.load(answer)


def main(path, url, instance):
    dashboard = json.load(open(path, encoding="utf-8"))
    failed = 0
    for title, expr in targets(dashboard):
        try:
            answer = evaluate(url, expanded(expr, instance))
            series = len(answer["data"]["result"]) if answer.get("status") == "success" else 0
            problem = None if series else "returned nothing"
        except Exception as error:  # an HTTP 400 carries Prometheus's own reason
            body = getattr(error, "read", lambda: b"")().decode(errors="replace")
            problem = f"failed: {error} {body}".strip()
        print(f"{'ok' if not problem else 'FAILED'}: {title}: {expr}" + (f" ({problem})" if problem else ""))
        failed += bool(problem)
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
