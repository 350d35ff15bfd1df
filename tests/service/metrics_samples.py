"""Parses a Prometheus text exposition file and prints one sample a line:
TYPE NAME{LABEL=VALUE,...} VALUE. Exits non-zero when the text does not parse."""
import sys

from prometheus_client.parser import text_string_to_metric_families

with open(sys.argv[1], encoding="utf-8") as text:
    families = list(text_string_to_metric_families(text.read()))
for family in families:
    for sample in family.samples:
        labels = ",".join(f"{k}={v}" for k, v in sorted(sample.labels.items()))
        print(f"{family.type} {sample.name}{{{labels}}} {sample.value:.17g}")
