#pragma once

#include "common/xlsxtable.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace kv {

// A cell position: column from 0 (A = 0), row from 1, as in the name "B15".
struct CellPosition {
    int column = 0;
    int row = 1;
    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// "b15" or "B15" -> {1, 15}; anything else gives nullopt.
std::optional<CellPosition> parseCellName(const QString& name);
QString cellName(const CellPosition& position); // "B15"


// An Office Open XML workbook held in memory: filled through its active sheet, then saved as a
// new file. The file it was read from is never written.
class XlsxWorkbook {
public:
    // Reads the workbook; throws kv::Error when the file is missing or is no workbook.
    explicit XlsxWorkbook(const QString& path);
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Writes a text into a cell of the active sheet, keeping the cell's style; rows and cells
    // that are not there yet are inserted in order. An empty text leaves the cell without value.
    void setCell(const CellPosition& cell, const QString& text);
    // Places a PNG picture of the given pixel size with its top-left corner at a cell.
    void addPicture(const CellPosition& cell, const QByteArray& png, int widthPx, int heightPx);
    // Writes the workbook to a new file; throws kv::Error on failure.
    void save(const QString& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kv
