# Futures trade records (GBK, CRLF) as file 7.dat, put on the sample day chart of IF00:
# buys to open (mode 1), each bar holding lots * 10000 + average price.
printf '成交时间,合约,买卖,开平,成交价,手数\r\n2024/01/10 10:00:00,IF2401,买,开,3350.2,3\r\n2024/01/10 14:00:00,IF2401,买,开,3354,1\r\n2024/01/15 09:45:00,IF2401,卖,平,3400,4\r\n2024/02/01 09:31:00,IF2402,买,开,3200,2\r\n' \
  | iconv -f UTF-8 -t GBK > 7.dat
demo call TARVEX.dll Deal --sample --code IF00 --p1-series close --start 0 --p2 7 --p3 1 --marks
