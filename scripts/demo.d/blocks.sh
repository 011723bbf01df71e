# Blocks on the sample chart: add 600000 to block 3, count it, test membership.
demo call TARVEX.dll save2blk --sample --p1 1 --p2 3
demo call TARVEX.dll bknumb --sample --p1 3
demo call TARVEX.dll inblock --sample --p1 1 --p2 3
