# Self-data on the sample chart: store the close under data number 12, read it back.
demo call TARVEX.dll savedata --sample --p1-series close --start 0 --p2 12
demo call TARVEX.dll saveS --sample --p1-series close --start 100 --p2 13
demo call TARVEX.dll ReadData --sample --p1-series close --start 100 --p2 13
