// Log texts of the investment exports, byte for byte as users and their
// tools have always seen them in TARVEX.log. Declared once so that the code
// and the tests share them.
#pragma once

constexpr char kMsgTradeOpCode[] = "调用Trade 操作码错误";
constexpr char kMsgInvNoData[] = "投资文件无数据，fn=";
constexpr char kMsgTradeMalloc[] = "TRade malloc 失败";
constexpr char kMsgLocaltime[] = "_localtime32 错误";
constexpr char kMsgTradeFSPeriod[] = "TradeTime 不是分时图\n";
constexpr char kMsgTradeFSParams[] = "TradeTime 参数错误\n";
constexpr char kMsgTradeFSNotSeries[] = "TradeTime 参数1 不是序列\n";
constexpr char kMsgTradeFSOpen[] = "TradeTime 打开投资文件失败，fn=";

constexpr char kMsgDealMode[] = "模式有误";
constexpr char kMsgDealOpen[] = "打开文件失败:";
constexpr char kMsgDealTitle[] =
    "第一行标题栏没找到足够的信息，检查是否有 【日期 时间 合约 手数 价格】等信息";
constexpr char kMsgDealRecordFormat[] = "交易记录格式错误";
constexpr char kMsgDealOtherContract[] = "非相同商品:";
constexpr char kMsgDealTime[] = "获取时间错误";
