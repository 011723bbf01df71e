# Utilities and MT4 on the sample chart: the marker-file queries, an event
# line in the log, and the day bars written as an MT4 history file
# (SH6000001440.HST in the scratch host directory).
demo call TARVEX.dll is_main_dzh --sample
demo call TARVEX.dll OutLog --sample --p1 1 --p2 3
demo call TARVEX.dll Save2Mt4 --sample --p1-series close --start 115
