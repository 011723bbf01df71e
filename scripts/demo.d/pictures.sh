# A picture of the sample chart with the levels TlineAll found on it: open the
# SVG in a browser, or render it with rsvg-convert.
demo call TARVEX.dll TlineAll --sample --p1-series close --start 0 --p2 5 --p4 110 --svg TlineAll.svg
echo "picture of the sample chart: $host/TlineAll.svg"
