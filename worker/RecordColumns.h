// The 22 columns of a company record: their slots in the field slots and
// their header names, in the order of the CSV line. Every part of the worker
// names a column by its constant here instead of a bare slot number.
#pragma once

#include <array>

namespace vantora {

enum RecordColumn : int {
  kColCode = 0,              // 証券コード: the stock code, market letter cut off
  kColName,                  // 会社名
  kColFeature,               // 特色
  kColBusiness,              // 連結事業
  kColPostalCode,            // 本社郵便番号
  kColAddress,               // 本社所在地
  kColSector,                // 業種分類
  kColEnglishName,           // 英文社名
  kColRepresentative,        // 代表者名
  kColFounded,               // 設立年月日
  kColMarket,                // 市場名
  kColListed,                // 上場年月日
  kColFiscalYearEnd,         // 決算
  kColTradingUnit,           // 単元株数
  kColEmployeesSingle,       // 従業員数（単独）
  kColEmployeesConsolidated, // 従業員数（連結）
  kColAverageAge,            // 平均年齢
  kColAverageSalary,         // 平均年収
  kColPrice,                 // 株価
  kColChange,                // 前日比
  kColUpdated,               // 最終更新日
  kColSourceUrl,             // 取得元URL: the profile address read
  kRecordColumnCount
};

struct RecordColumnDef {
  RecordColumn column;
  const char* headerUtf8;  // the column's name in the header line
};

inline constexpr std::array<RecordColumnDef, kRecordColumnCount> kRecordColumns = {{
    {kColCode, "証券コード"},
    {kColName, "会社名"},
    {kColFeature, "特色"},
    {kColBusiness, "連結事業"},
    {kColPostalCode, "本社郵便番号"},
    {kColAddress, "本社所在地"},
    {kColSector, "業種分類"},
    {kColEnglishName, "英文社名"},
    {kColRepresentative, "代表者名"},
    {kColFounded, "設立年月日"},
    {kColMarket, "市場名"},
    {kColListed, "上場年月日"},
    {kColFiscalYearEnd, "決算"},
    {kColTradingUnit, "単元株数"},
    {kColEmployeesSingle, "従業員数（単独）"},
    {kColEmployeesConsolidated, "従業員数（連結）"},
    {kColAverageAge, "平均年齢"},
    {kColAverageSalary, "平均年収"},
    {kColPrice, "株価"},
    {kColChange, "前日比"},
    {kColUpdated, "最終更新日"},
    {kColSourceUrl, "取得元URL"},
}};

// The columns whose values come from the page text (all but the code and the
// address read): a page on which none of them was found does not have the
// expected layout.
inline constexpr RecordColumn kFirstPageColumn = kColName;
inline constexpr RecordColumn kLastPageColumn = kColUpdated;

// The label rows of the profile table hold the columns from the address to
// the average salary, in this order.
inline constexpr RecordColumn kFirstLabelColumn = kColAddress;
inline constexpr RecordColumn kLastLabelColumn = kColAverageSalary;

}  // namespace vantora
