# Trend lines and levels on the sample chart.
demo call TARVEX.dll Tline --sample --p1-series close --start 0 --p2 5 --marks
demo call TARVEX.dll TlineAll --sample --p1-series close --start 0 --p2 5 --p4 120 --marks
demo call TARVEX.dll TlineNear --sample --p1-series close --start 0 --p2 5 --marks
