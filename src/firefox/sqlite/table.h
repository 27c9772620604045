// The complete result of one query, held as UTF-16 text, with a current row
// that only moves forward.
#ifndef MARKSAFE_FIREFOX_SQLITE_TABLE_H_
#define MARKSAFE_FIREFOX_SQLITE_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace marksafe {
namespace SQLite {

class Table {
 public:
  Table() = default;
  // Takes the header row and the data rows; the current row is the first
  // one, or -1 when there is none. Every row must hold column_names.size()
  // cells.
  Table(std::vector<std::u16string> column_names,
        std::vector<std::vector<std::u16string>> rows);
  virtual ~Table() = default;
  Table(const Table&) = default;
  Table& operator=(const Table&) = default;
  Table(Table&&) = default;
  Table& operator=(Table&&) = default;

  int32_t RowCount() const { return rowCount; }
  int32_t ColumnCount() const { return columnCount; }

  // The text of column in the current row (an SQL NULL reads as ""), or
  // null for a column out of range or when there is no current row. Valid
  // while the table lives.
  const char16_t* GetValue(int32_t column) const;

  // Moves to the next row; stays on the last one.
  void NextRow();

 private:
  int32_t rowCount = 0;
  int32_t columnCount = 0;
  std::vector<std::u16string> columnNames;
  std::vector<std::vector<std::u16string>> rows;
  int32_t currentRow = -1;
};

}  // namespace SQLite
}  // namespace marksafe

#endif  // MARKSAFE_FIREFOX_SQLITE_TABLE_H_
