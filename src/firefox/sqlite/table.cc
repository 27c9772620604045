#include "firefox/sqlite/table.h"

#include <utility>

namespace marksafe {
namespace SQLite {

Table::Table(std::vector<std::u16string> column_names,
             std::vector<std::vector<std::u16string>> data)
    : rowCount(static_cast<int32_t>(data.size())),
      columnCount(static_cast<int32_t>(column_names.size())),
      columnNames(std::move(column_names)),
      rows(std::move(data)),
      currentRow(rows.empty() ? -1 : 0) {}

const char16_t* Table::GetValue(int32_t column) const {
  if (column < 0 || column >= columnCount) return nullptr;
  if (currentRow < 0) return nullptr;
  const std::vector<std::u16string>& row = rows[currentRow];
  if (static_cast<size_t>(column) >= row.size()) return nullptr;
  return row[column].c_str();
}

void Table::NextRow() {
  if (static_cast<size_t>(currentRow) + 1 < rows.size()) ++currentRow;
}

}  // namespace SQLite
}  // namespace marksafe
