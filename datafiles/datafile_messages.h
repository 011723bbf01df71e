// Log texts of the data-file exports, byte for byte as users and their
// tools have always seen them in TARVEX.log (the "savedate" spelling
// included). Declared once so that the code and the tests share them.
#pragma once

constexpr char kMsgSavedataClose[] = "savedata 收盘价<=0，文件=  ";
constexpr char kMsgSavedataPeriod[] = "savedata 无效周期:";
constexpr char kMsgSelfDataInitFailed[] = "savedate 初始化文件失败：";
constexpr char kMsgSelfDataOpenFailed[] = "savedate 打开历史文件失败：";
constexpr char kMsgCapitalParams[] = "SAVEDATA_CAPITAL 参数错误";
constexpr char kMsgCapitalOpenFailed[] = "SAVEDATA_CAPITAL 打开文件失败";
constexpr char kMsgSaveSParams[] = "saveS  参数错误 sk=";
constexpr char kMsgSaveSPeriod[] = "saveS 不支持非日线数据存盘";
constexpr char kMsgSaveSInitFailed[] = "saveS 初始化文件失败：";
constexpr char kMsgReadDataTooMany[] = "readdata1 数据太多，超过4000，数据可能有误\n";
